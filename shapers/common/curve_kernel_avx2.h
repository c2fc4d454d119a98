// The curve kernel on AVX2: eight samples at a time, the segment chosen with comparison masks
// and blends, the interpolation on four doubles per register. Compiled for AVX2 by function
// attribute only, so the plug-ins still run where it is missing. Runs shorter than a vector
// take the definition sample by sample.
#pragma once

#include <array>
#include <cstddef>

#include "curve_definition.h"
#include "curve_position.h"
#include "curve_prefetch.h"
#include "curve_simd_target.h"

#if QN_CURVE_X86

namespace qn::shapers::avx2 {

// lower + (upper - lower) * t, in that order, as the definition rounds it.
QN_CURVE_AVX2 __m256d interpolate(__m256d lower, __m256d upper, __m256d t) noexcept {
    return _mm256_add_pd(lower, _mm256_mul_pd(_mm256_sub_pd(upper, lower), t));
}

QN_CURVE_AVX2 __m256d lowHalf(__m256 v) noexcept {
    return _mm256_cvtps_pd(_mm256_castps256_ps128(v));
}

QN_CURVE_AVX2 __m256d highHalf(__m256 v) noexcept {
    return _mm256_cvtps_pd(_mm256_extractf128_ps(v, 1));
}

template <class Curve>
QN_CURVE_AVX2 __m256 position(__m256 fromStart) noexcept {
    if constexpr (kWidthIsPowerOfTwo<Curve>) {
        return _mm256_mul_ps(fromStart, _mm256_set1_ps(kInverseWidth<Curve>));
    } else {
        return _mm256_div_ps(fromStart, _mm256_set1_ps(Curve::width));
    }
}

// The 8 positions from `at`.
template <class Curve>
QN_CURVE_AVX2 void step(float* out, const float* control,
                        const std::array<const float*, kCornerCount<Curve>>& blocks,
                        std::size_t at) noexcept {
    constexpr std::size_t kCorners = kCornerCount<Curve>;
    constexpr std::size_t kBreakpoints = Curve::breakpoints.size();
    const __m256 lowerThreshold = _mm256_set1_ps(kLowerThreshold);
    const __m256 upperThreshold = _mm256_set1_ps(kUpperThreshold);
    const __m256 x = _mm256_loadu_ps(control + at);
    __m256 y[kCorners];
#pragma GCC unroll 8
    for (std::size_t k = 0; k < kCorners; ++k) {
        y[k] = _mm256_loadu_ps(blocks[k] + at);
    }
    // The masks rise with the breakpoints, so the last one set picks the segment.
    __m256 lower = y[0];
    __m256 upper = y[1];
    __m256 start = _mm256_setzero_ps();
#pragma GCC unroll 8
    for (std::size_t b = 0; b < kBreakpoints; ++b) {
        const __m256 breakpoint = _mm256_set1_ps(Curve::breakpoints[b]);
        const __m256 atOrAbove = _mm256_cmp_ps(x, breakpoint, _CMP_GE_OQ);
        lower = _mm256_blendv_ps(lower, y[b + 1], atOrAbove);
        upper = _mm256_blendv_ps(upper, y[b + 2], atOrAbove);
        start = _mm256_blendv_ps(start, breakpoint, atOrAbove);
    }
    const __m256 t = position<Curve>(_mm256_sub_ps(x, start));
    const __m256d low = interpolate(lowHalf(lower), lowHalf(upper), lowHalf(t));
    const __m256d high = interpolate(highHalf(lower), highHalf(upper), highHalf(t));
    __m256 result = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(low)),
                                         _mm256_cvtpd_ps(high), 1);
    // Unordered "not at or above": a NaN control takes the bottom corner.
    result = _mm256_blendv_ps(result, y[0], _mm256_cmp_ps(x, lowerThreshold, _CMP_NGE_UQ));
    result =
        _mm256_blendv_ps(result, y[kCorners - 1], _mm256_cmp_ps(x, upperThreshold, _CMP_GE_OQ));
    _mm256_storeu_ps(out + at, result);
}

template <class Curve>
QN_CURVE_ENTRY_AVX2 void curveKernel(float* out, const float* control, const float* const* corners,
                                     std::size_t count) noexcept {
    constexpr std::size_t kCorners = kCornerCount<Curve>;
    constexpr std::size_t kLanes = 8;
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

}  // namespace qn::shapers::avx2

#endif
