// The filter bank for the SSE2 instruction set: 2 lanes a vector, 3 vectors a group.
#include "spectrum/bank_kernel.h"

namespace basetrim {

typedef double bank_vec_sse2 __attribute__((vector_size(16)));

void bank_sse2(const bank_args& a) { bank_detail::run_bank<bank_vec_sse2, 2, 3>(a); }

}  // namespace basetrim
