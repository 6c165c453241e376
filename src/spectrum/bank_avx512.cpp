// The filter bank for the AVX-512 instruction set: 8 lanes a vector, 2 vectors a group.
#include "spectrum/bank_kernel.h"

namespace basetrim {

typedef double bank_vec_avx512 __attribute__((vector_size(64)));

void bank_avx512(const bank_args& a) { bank_detail::run_bank<bank_vec_avx512, 8, 2>(a); }

}  // namespace basetrim
