// The filter bank for the AVX2 instruction set: 4 lanes a vector, 2 vectors a group.
#include "spectrum/bank_kernel.h"

namespace basetrim {

typedef double bank_vec_avx2 __attribute__((vector_size(32)));

void bank_avx2(const bank_args& a) { bank_detail::run_bank<bank_vec_avx2, 4, 2>(a); }

}  // namespace basetrim
