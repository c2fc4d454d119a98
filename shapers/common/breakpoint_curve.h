// One process run of a shaper's transfer curve (defined in curve_definition.h) over the
// host's sample blocks, on the fastest kernel the CPU offers (curve_dispatch.h).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "curve_definition.h"
#include "curve_dispatch.h"

namespace qn::shapers {

// out[i] = curve(control[i], corner blocks at i) for the `sampleCount` positions from
// `bufferOffset` on, corner blocks bottom corner first. Every input of a position is read
// before its output is written, so `out` may be the same block as any input. Nothing is
// written when a block is missing (null) or the run is empty.
template <class Curve>
void runCurve(float* out, const float* control,
              const std::array<const float*, kCornerCount<Curve>>& cornerBlocks,
              int32_t bufferOffset, int32_t sampleCount) noexcept {
    if (sampleCount <= 0 || out == nullptr || control == nullptr) {
        return;
    }
    for (const float* block : cornerBlocks) {
        if (block == nullptr) {
            return;
        }
    }
    const std::ptrdiff_t first = bufferOffset;
    std::array<const float*, kCornerCount<Curve>> corners;
    for (std::size_t k = 0; k < corners.size(); ++k) {
        corners[k] = cornerBlocks[k] + first;
    }
    activeCurveKernel<Curve>.load(std::memory_order_relaxed)(
        out + first, control + first, corners.data(), static_cast<std::size_t>(sampleCount));
}

}  // namespace qn::shapers
