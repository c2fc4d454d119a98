// The curve kernel on SSE2, the baseline every x86 build has: four samples at a time, the
// segment chosen with comparison masks and bitwise selects, the interpolation on two doubles
// per register. Runs shorter than a vector take the definition sample by sample.
#pragma once

#include <array>
#include <cstddef>

#include "curve_definition.h"
#include "curve_position.h"
#include "curve_prefetch.h"
#include "curve_simd_target.h"

#if QN_CURVE_X86

namespace qn::shapers::sse2 {

// whenTrue where the mask is set, whenFalse elsewhere (SSE2 has no blend instruction).
QN_CURVE_SSE2 __m128 select(__m128 mask, __m128 whenFalse, __m128 whenTrue) noexcept {
    return _mm_or_ps(_mm_and_ps(mask, whenTrue), _mm_andnot_ps(mask, whenFalse));
}

// lower + (upper - lower) * t, in that order, as the definition rounds it.
QN_CURVE_SSE2 __m128d interpolate(__m128d lower, __m128d upper, __m128d t) noexcept {
    return _mm_add_pd(lower, _mm_mul_pd(_mm_sub_pd(upper, lower), t));
}

QN_CURVE_SSE2 __m128d lowHalf(__m128 v) noexcept {
    return _mm_cvtps_pd(v);
}

QN_CURVE_SSE2 __m128d highHalf(__m128 v) noexcept {
    return _mm_cvtps_pd(_mm_movehl_ps(v, v));
}

template <class Curve>
QN_CURVE_SSE2 __m128 position(__m128 fromStart) noexcept {
    if constexpr (kWidthIsPowerOfTwo<Curve>) {
        return _mm_mul_ps(fromStart, _mm_set1_ps(kInverseWidth<Curve>));
    } else {
        return _mm_div_ps(fromStart, _mm_set1_ps(Curve::width));
    }
}

// The 4 positions from `at`.
template <class Curve>
QN_CURVE_SSE2 void step(float* out, const float* control,
                        const std::array<const float*, kCornerCount<Curve>>& blocks,
                        std::size_t at) noexcept {
    constexpr std::size_t kCorners = kCornerCount<Curve>;
    constexpr std::size_t kBreakpoints = Curve::breakpoints.size();
    const __m128 lowerThreshold = _mm_set1_ps(kLowerThreshold);
    const __m128 upperThreshold = _mm_set1_ps(kUpperThreshold);
    const __m128 x = _mm_loadu_ps(control + at);
    __m128 y[kCorners];
#pragma GCC unroll 8
    for (std::size_t k = 0; k < kCorners; ++k) {
        y[k] = _mm_loadu_ps(blocks[k] + at);
    }
    // The masks rise with the breakpoints, so the last one set picks the segment.
    __m128 lower = y[0];
    __m128 upper = y[1];
    __m128 start = _mm_setzero_ps();
#pragma GCC unroll 8
    for (std::size_t b = 0; b < kBreakpoints; ++b) {
        const __m128 breakpoint = _mm_set1_ps(Curve::breakpoints[b]);
        const __m128 atOrAbove = _mm_cmpge_ps(x, breakpoint);
        lower = select(atOrAbove, lower, y[b + 1]);
        upper = select(atOrAbove, upper, y[b + 2]);
        start = select(atOrAbove, start, breakpoint);
    }
    const __m128 t = position<Curve>(_mm_sub_ps(x, start));
    const __m128d low = interpolate(lowHalf(lower), lowHalf(upper), lowHalf(t));
    const __m128d high = interpolate(highHalf(lower), highHalf(upper), highHalf(t));
    __m128 result = _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high));
    // Unordered "not at or above": a NaN control takes the bottom corner.
    result = select(_mm_cmpnge_ps(x, lowerThreshold), result, y[0]);
    result = select(_mm_cmpge_ps(x, upperThreshold), result, y[kCorners - 1]);
    _mm_storeu_ps(out + at, result);
}

template <class Curve>
QN_CURVE_ENTRY_SSE2 void curveKernel(float* out, const float* control, const float* const* corners,
                                     std::size_t count) noexcept {
    constexpr std::size_t kCorners = kCornerCount<Curve>;
    constexpr std::size_t kLanes = 4;
    std::array<const float*, kCorners> blocks;
    for (std::size_t k = 0; k < kCorners; ++k) {
        blocks[k] = corners[k];
    }
    std::size_t i = 0;
    if (count >= kPrefetchFromSamples) {
        for (; i + kPrefetchDistance + kLanes <= count; i += kLanes) {
            if (i % kSamplesPerLine == 0) {
                prefetchStreams(control, blocks, i + kPrefetchDistance);
            }
            step<Curve>(out, control, blocks, i);
        }
    }
    for (; i + kLanes <= count; i += kLanes) {
        step<Curve>(out, control, blocks, i);
    }
    for (std::size_t k = 0; k < kCorners; ++k) {
        blocks[k] += i;
    }
    curveKernelScalar<Curve>(out + i, control + i, blocks.data(), count - i);
}

}  // namespace qn::shapers::sse2

#endif
