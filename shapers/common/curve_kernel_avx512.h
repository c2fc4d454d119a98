// The curve kernel on AVX-512 (F and DQ): sixteen samples at a time, the segment chosen with
// mask registers, the interpolation on eight doubles per register. The tail shorter than a
// vector runs the same code with masked loads and stores. Compiled for AVX-512 by function
// attribute only, so the plug-ins still run where it is missing.
#pragma once

#include <array>
#include <cstddef>

#include "curve_definition.h"
#include "curve_position.h"
#include "curve_prefetch.h"
#include "curve_simd_target.h"

#if QN_CURVE_X86

namespace qn::shapers::avx512 {

// lower + (upper - lower) * t, in that order, as the definition rounds it.
QN_CURVE_AVX512 __m512d interpolate(__m512d lower, __m512d upper, __m512d t) noexcept {
    return _mm512_add_pd(lower, _mm512_mul_pd(_mm512_sub_pd(upper, lower), t));
}

// The all-lanes masked forms compile to the plain instructions; the unmasked intrinsics trip
// a false "may be used uninitialized" in some compilers' headers.
constexpr __mmask8 kAllEight = 0xFF;

QN_CURVE_AVX512 __m512d lowHalf(__m512 v) noexcept {
    return _mm512_maskz_cvtps_pd(kAllEight, _mm512_maskz_extractf32x8_ps(kAllEight, v, 0));
}

QN_CURVE_AVX512 __m512d highHalf(__m512 v) noexcept {
    return _mm512_maskz_cvtps_pd(kAllEight, _mm512_maskz_extractf32x8_ps(kAllEight, v, 1));
}

QN_CURVE_AVX512 __m256 narrow(__m512d v) noexcept {
    return _mm512_maskz_cvtpd_ps(kAllEight, v);
}

template <class Curve>
QN_CURVE_AVX512 __m512 position(__m512 fromStart) noexcept {
    if constexpr (kWidthIsPowerOfTwo<Curve>) {
        return _mm512_mul_ps(fromStart, _mm512_set1_ps(kInverseWidth<Curve>));
    } else {
        return _mm512_div_ps(fromStart, _mm512_set1_ps(Curve::width));
    }
}

template <bool kMasked>
QN_CURVE_AVX512 __m512 load(const float* from, __mmask16 lanes) noexcept {
    if constexpr (kMasked) {
        return _mm512_maskz_loadu_ps(lanes, from);
    } else {
        (void)lanes;
        return _mm512_loadu_ps(from);
    }
}

// Sixteen positions from `at`, or only those in `lanes`: masked-off lanes are neither read
// nor written.
template <class Curve, bool kMasked>
QN_CURVE_AVX512 void step(float* out, const float* control,
                          const std::array<const float*, kCornerCount<Curve>>& blocks,
                          std::size_t at, __mmask16 lanes) noexcept {
    constexpr std::size_t kCorners = kCornerCount<Curve>;
    constexpr std::size_t kBreakpoints = Curve::breakpoints.size();
    const __m512 x = load<kMasked>(control + at, lanes);
    __m512 y[kCorners];
#pragma GCC unroll 8
    for (std::size_t k = 0; k < kCorners; ++k) {
        y[k] = load<kMasked>(blocks[k] + at, lanes);
    }
    // The masks rise with the breakpoints, so the last one set picks the segment.
    __m512 lower = y[0];
    __m512 upper = y[1];
    __m512 start = _mm512_setzero_ps();
#pragma GCC unroll 8
    for (std::size_t b = 0; b < kBreakpoints; ++b) {
        const __m512 breakpoint = _mm512_set1_ps(Curve::breakpoints[b]);
        const __mmask16 atOrAbove = _mm512_cmp_ps_mask(x, breakpoint, _CMP_GE_OQ);
        lower = _mm512_mask_blend_ps(atOrAbove, lower, y[b + 1]);
        upper = _mm512_mask_blend_ps(atOrAbove, upper, y[b + 2]);
        start = _mm512_mask_blend_ps(atOrAbove, start, breakpoint);
    }
    const __m512 t = position<Curve>(_mm512_sub_ps(x, start));
    const __m512d low = interpolate(lowHalf(lower), lowHalf(upper), lowHalf(t));
    const __m512d high = interpolate(highHalf(lower), highHalf(upper), highHalf(t));
    __m512 result = _mm512_insertf32x8(_mm512_castps256_ps512(narrow(low)), narrow(high), 1);
    // Unordered "not at or above": a NaN control takes the bottom corner.
    result = _mm512_mask_blend_ps(
        _mm512_cmp_ps_mask(x, _mm512_set1_ps(kLowerThreshold), _CMP_NGE_UQ), result, y[0]);
    result =
        _mm512_mask_blend_ps(_mm512_cmp_ps_mask(x, _mm512_set1_ps(kUpperThreshold), _CMP_GE_OQ),
                             result, y[kCorners - 1]);
    if constexpr (kMasked) {
        _mm512_mask_storeu_ps(out + at, lanes, result);
    } else {
        _mm512_storeu_ps(out + at, result);
    }
}

template <class Curve>
QN_CURVE_ENTRY_AVX512 void curveKernel(float* out, const float* control,
                                       const float* const* corners, std::size_t count) noexcept {
    constexpr std::size_t kLanes = 16;
    std::array<const float*, kCornerCount<Curve>> blocks;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        blocks[k] = corners[k];
    }
    std::size_t i = 0;
    if (count >= kPrefetchFromSamples) {
        // One vector is one cache line: every stream is fetched ahead at every step.
        for (; i + kPrefetchDistance + kLanes <= count; i += kLanes) {
            prefetchStreams(control, blocks, i + kPrefetchDistance);
            step<Curve, false>(out, control, blocks, i, 0);
        }
    }
    for (; i + kLanes <= count; i += kLanes) {
        step<Curve, false>(out, control, blocks, i, 0);
    }
    if (i < count) {
        const auto lanes = static_cast<__mmask16>((1u << (count - i)) - 1u);
        step<Curve, true>(out, control, blocks, i, lanes);
    }
}

}  // namespace qn::shapers::avx512

#endif
