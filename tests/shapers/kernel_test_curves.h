// What the kernel tests run the curve kernels on: the three curves, restated from their
// definitions rather than taken from the plug-ins, and the kernel paths this machine runs.
#pragma once

#include <array>
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
