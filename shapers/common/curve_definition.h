// The piecewise-linear transfer curve shared by every shaper: corners at evenly spaced control
// values, flat beyond two thresholds. A curve is described by a type with compile-time
// constants:
//
//   struct Curve {
//       static constexpr std::array<float, N> breakpoints{...};  // ascending, interior corners
//       static constexpr float width = ...;                      // every segment divides by it
//   };
//
// The arithmetic is defined to the bit: comparisons on the float control against float
// thresholds and breakpoints, the position t computed in double and rounded to float, the
// interpolation done in double and rounded once when stored. `evaluateCurve` is that
// definition; every faster kernel has to reproduce it bit for bit.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace qn::shapers {

// Below this the output holds the bottom corner, from the upper one on the top corner.
inline constexpr float kLowerThreshold = -0.00001f;
inline constexpr float kUpperThreshold = 1.00001f;

template <class Curve>
inline constexpr std::size_t kCornerCount = Curve::breakpoints.size() + 2;

// Corner values of one sample position, from the corner at control 0 up to the one at 1.
template <class Curve>
using Corners = std::array<float, kCornerCount<Curve>>;

// The output for control `x` and the corner values `corners`.
template <class Curve>
constexpr float evaluateCurve(float x, const Corners<Curve>& corners) noexcept {
    // Written as "not at or above" so that a NaN control takes the bottom corner too.
    if (!(x >= kLowerThreshold)) {
        return corners.front();
    }
    if (x >= kUpperThreshold) {
        return corners.back();
    }
    // Each breakpoint belongs to the segment above it.
    std::size_t segment = 0;
    float segmentStart = 0.0f;
    for (const float breakpoint : Curve::breakpoints) {
        if (x < breakpoint) {
            break;
        }
        ++segment;
        segmentStart = breakpoint;
    }
    const auto t = static_cast<float>((static_cast<double>(x) - static_cast<double>(segmentStart)) /
                                      static_cast<double>(Curve::width));
    const auto lower = static_cast<double>(corners[segment]);
    const auto upper = static_cast<double>(corners[segment + 1]);
    return static_cast<float>(lower + (upper - lower) * static_cast<double>(t));
}

// A kernel computes `count` outputs from blocks that already point at the first position:
// `corners` holds kCornerCount<Curve> blocks, bottom corner first. For each position it reads
// every input before it writes the output, so `out` may be the same block as an input.
template <class Curve>
using CurveKernel = void (*)(float* out, const float* control, const float* const* corners,
                             std::size_t count) noexcept;

// The definition applied sample by sample, as written; also the tail of the vector kernels.
template <class Curve>
void curveKernelScalar(float* out, const float* control, const float* const* corners,
                       std::size_t count) noexcept {
    for (std::size_t i = 0; i < count; ++i) {
        Corners<Curve> values;
        for (std::size_t k = 0; k < values.size(); ++k) {
            values[k] = corners[k][i];
        }
        out[i] = evaluateCurve<Curve>(control[i], values);
    }
}

}  // namespace qn::shapers
