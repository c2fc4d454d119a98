// Software prefetch for long runs. A run that outgrows the caches streams seven blocks at
// once (control, corners, output), more than the hardware prefetcher keeps fed on its own;
// fetching every input stream a few cache lines ahead brings such runs close to the speed of
// plain copying. Short runs, the usual host block, stay in cache and skip it.
#pragma once

#include <array>
#include <cstddef>

#include "curve_simd_target.h"

#if QN_CURVE_X86

namespace qn::shapers {

inline constexpr std::size_t kPrefetchFromSamples = 16384;
inline constexpr std::size_t kPrefetchDistance = 512;  // samples ahead of the current vector
inline constexpr std::size_t kSamplesPerLine = 16;     // 64-byte cache lines

template <std::size_t kCorners>
QN_CURVE_SSE2 void prefetchStreams(const float* control,
                                   const std::array<const float*, kCorners>& blocks,
                                   std::size_t at) noexcept {
    _mm_prefetch(reinterpret_cast<const char*>(control + at), _MM_HINT_T0);
    for (std::size_t k = 0; k < kCorners; ++k) {
        _mm_prefetch(reinterpret_cast<const char*>(blocks[k] + at), _MM_HINT_T0);
    }
}

}  // namespace qn::shapers

#endif
