#include "work/VectorRegisters.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace velmix {

#if defined(__x86_64__) || defined(__i386__)
namespace {

__attribute__((target("avx"))) void zeroUpper()
{
    _mm256_zeroupper();
}

} // namespace

void clearUpperVectorHalves()
{
    // The instruction needs AVX, and an operating system that saves its registers.
    static const bool hasAvx = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    if (hasAvx)
        zeroUpper();
}
#else
void clearUpperVectorHalves() {}
#endif

} // namespace velmix
