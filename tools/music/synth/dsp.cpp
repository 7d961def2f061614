#include "dsp.h"

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace synth {

void DisableDenormals() {
#if defined(__SSE__) || defined(__x86_64__)
    // FTZ (bit 15) and DAZ (bit 6) of MXCSR.
    _mm_setcsr(_mm_getcsr() | 0x8040u);
#endif
}

} // namespace synth
