// The filter bank for the AVX512 instruction set: 8 lanes a vector, 3 vectors a group.
#include "spectrum/bank_kernel.h"

namespace basetrim {

typedef double bank_vec_avx512 __attribute__((vector_size(64)));

void bank_avx512(const bank_args& a) { bank_detail::run_bank<bank_vec_avx512, 8, 4>(a); }

}  // namespace basetrim
