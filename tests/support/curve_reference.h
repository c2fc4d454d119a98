// The transfer curve written straight from its definition, region by region, to check the
// plug-ins' output against, and a bit-for-bit float comparison.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <gtest/gtest.h>

namespace shapertest {

inline constexpr float kLowerThreshold = -0.00001f;
inline constexpr float kUpperThreshold = 1.00001f;

// lo + (hi - lo) * t in double, rounded once.
inline float interpolate(float lo, float hi, float t) {
    const double low = lo;
    const double high = hi;
    return static_cast<float>(low + (high - low) * static_cast<double>(t));
}

// `corners` from the bottom corner up; a NaN control takes the bottom corner.
inline float referenceCurve(const std::vector<float>& breakpoints, float width, float x,
                            const std::vector<float>& corners) {
    if (std::isnan(x) || x < kLowerThreshold) {
        return corners.front();
    }
    if (x >= kUpperThreshold) {
        return corners.back();
    }
    const size_t segments = breakpoints.size() + 1;
    for (size_t s = 0; s < segments; ++s) {
        const float from = s == 0 ? kLowerThreshold : breakpoints[s - 1];
        const float to = s + 1 == segments ? kUpperThreshold : breakpoints[s];
        if (x >= from && x < to) {
            const double start = s == 0 ? 0.0 : static_cast<double>(breakpoints[s - 1]);
            const auto t =
                static_cast<float>((static_cast<double>(x) - start) / static_cast<double>(width));
            return interpolate(corners[s], corners[s + 1], t);
        }
    }
    ADD_FAILURE() << "control " << x << " fell into no region";
    return 0.0f;
}

inline uint32_t bits(float value) {
    return std::bit_cast<uint32_t>(value);
}

inline testing::AssertionResult sameBits(const char* actualText, const char* expectedText,
                                         float actual, float expected) {
    const auto a = std::bit_cast<uint32_t>(actual);
    const auto e = std::bit_cast<uint32_t>(expected);
    if (a == e) {
        return testing::AssertionSuccess();
    }
    char message[256];
    std::snprintf(message, sizeof message, "%s = %.9g (0x%08x)\n%s = %.9g (0x%08x)", actualText,
                  static_cast<double>(actual), static_cast<unsigned>(a), expectedText,
                  static_cast<double>(expected), static_cast<unsigned>(e));
    return testing::AssertionFailure() << message;
}

}  // namespace shapertest
