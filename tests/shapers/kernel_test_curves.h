// What the kernel tests run the curve kernels on: the three curves, restated from their
// definitions rather than taken from the plug-ins, and the kernel paths this machine runs.
#pragma once

#include <array>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "curve_dispatch.h"

namespace shapertest {

struct OneBreakpoint {
    static constexpr std::array<float, 1> breakpoints{0.5f};
    static constexpr float width = 0.5f;
};
struct TwoBreakpoints {
    static constexpr std::array<float, 2> breakpoints{0.33333334f, 0.6666667f};
    static constexpr float width = 0.33333334f;
};
struct ThreeBreakpoints {
    static constexpr std::array<float, 3> breakpoints{0.25f, 0.5f, 0.75f};
    static constexpr float width = 0.25f;
};

// The position t of control `x` (in range) two ways: as the kernels take it, from a float
// subtraction and a float scale or division, and as the definition does, in double rounded
// to float. The kernels rely on the two being the same float.
template <class Curve>
std::pair<float, float> positionBothWays(float x) {
    float start = 0.0f;
    for (const float breakpoint : Curve::breakpoints) {
        if (x >= breakpoint) {
            start = breakpoint;
        }
    }
    const float difference = x - start;
    const float single = qn::shapers::kWidthIsPowerOfTwo<Curve>
                             ? difference * qn::shapers::kInverseWidth<Curve>
                             : difference / Curve::width;
    const auto reference = static_cast<float>(
        (static_cast<double>(x) - static_cast<double>(start)) / static_cast<double>(Curve::width));
    return {single, reference};
}

using TestCurves = testing::Types<OneBreakpoint, TwoBreakpoints, ThreeBreakpoints>;

inline std::vector<qn::shapers::CurvePath> availablePaths() {
    std::vector<qn::shapers::CurvePath> paths;
    for (const qn::shapers::CurvePath path : qn::shapers::kCurvePaths) {
        if (qn::shapers::curvePathAvailable(path)) {
            paths.push_back(path);
        }
    }
    return paths;
}

}  // namespace shapertest
