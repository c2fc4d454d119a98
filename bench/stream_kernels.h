// The streaming limit of a curve: a kernel that reads the same blocks as the curve (control
// and every corner) and writes one output block at the same vector width, with a single add
// per input. No curve kernel can beat it; the ratio to it is what is left to win.
#pragma once

#include <array>
#include <cstddef>

#include "curve_definition.h"
#include "curve_simd_target.h"

namespace qnbench {

using qn::shapers::kCornerCount;

template <class Curve>
QN_CURVE_ENTRY_SSE2 void streamSse2(float* out, const float* control, const float* const* corners,
                                    std::size_t count) noexcept {
    std::array<const float*, kCornerCount<Curve>> blocks;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        blocks[k] = corners[k];
    }
    for (std::size_t i = 0; i + 4 <= count; i += 4) {
        __m128 sum = _mm_loadu_ps(control + i);
        for (const float* block : blocks) {
            sum = _mm_add_ps(sum, _mm_loadu_ps(block + i));
        }
        _mm_storeu_ps(out + i, sum);
    }
}

template <class Curve>
QN_CURVE_ENTRY_AVX2 void streamAvx2(float* out, const float* control, const float* const* corners,
                                    std::size_t count) noexcept {
    std::array<const float*, kCornerCount<Curve>> blocks;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        blocks[k] = corners[k];
    }
    for (std::size_t i = 0; i + 8 <= count; i += 8) {
        __m256 sum = _mm256_loadu_ps(control + i);
        for (const float* block : blocks) {
            sum = _mm256_add_ps(sum, _mm256_loadu_ps(block + i));
        }
        _mm256_storeu_ps(out + i, sum);
    }
}

template <class Curve>
QN_CURVE_ENTRY_AVX512 void streamAvx512(float* out, const float* control,
                                        const float* const* corners, std::size_t count) noexcept {
    std::array<const float*, kCornerCount<Curve>> blocks;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
        blocks[k] = corners[k];
    }
    for (std::size_t i = 0; i + 16 <= count; i += 16) {
        __m512 sum = _mm512_loadu_ps(control + i);
        for (const float* block : blocks) {
            sum = _mm512_add_ps(sum, _mm512_loadu_ps(block + i));
        }
        _mm512_storeu_ps(out + i, sum);
    }
}

}  // namespace qnbench
