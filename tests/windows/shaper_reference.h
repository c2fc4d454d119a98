// What these tests know about the three shaper libraries, written from their definition and
// independent of the plug-ins' sources: texts, pin tables and the transfer curve.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "plugin_paths.h"

namespace qnplatform {

struct Pin {
    const char* name;
    const char* defaultText;  // null for the output
};

struct Shaper {
    const char* id;
    const char* name;
    int breakpointCount;
    std::vector<Pin> pins;  // control, corners from the top corner down, output
    std::vector<float> breakpoints;
    float width;

    int32_t pinCount() const { return static_cast<int32_t>(pins.size()); }
    int32_t outputSlot() const { return pinCount() - 1; }
    // Corner k counted from the bottom (control 0.0) up.
    int32_t cornerSlot(int32_t k) const { return pinCount() - 2 - k; }
    int32_t cornerCount() const { return pinCount() - 2; }
    std::string path() const { return qntest::pluginPath(id); }
    std::string about() const {
        return "Shaper with " + std::to_string(breakpointCount) +
               " breakpoints\nversion 1.0\nby Brenwick\n\n";
    }
};

inline const std::vector<Shaper>& shapers() {
    static const std::vector<Shaper> all{
        {"DK_1BPShaper",
         "ZE 1ZADididu",
         1,
         {{"Control 0-10v", "0"}, {"10", "10"}, {"5", "5"}, {"0", "0"}, {"Output", nullptr}},
         {0.5f},
         0.5f},
        {"DK_2BPShaper",
         "VA 2DOZarivi",
         2,
         {{"Control 0-10v", "0"},
          {"10", "10"},
          {"6.6", "6.6666"},
          {"3.3", "3.3333"},
          {"0", "0"},
          {"Output", nullptr}},
         {0.33333334f, 0.6666667f},
         0.33333334f},
        {"DK_3BPShaper",
         "RO 3ZIRirido",
         3,
         {{"Control 0-10v", "0"},
          {"10", "10"},
          {"7.5", "7.5"},
          {"5.0", "5.0"},
          {"2.5", "2.5"},
          {"0", "0"},
          {"Output", nullptr}},
         {0.25f, 0.5f, 0.75f},
         0.25f},
    };
    return all;
}

// The curve from its definition: regions compared on the float control against float
// thresholds; t = float((x - b) / w) in double; lo + (hi - lo) * t in double, rounded once.
// A NaN control takes the bottom corner. `corners` run from the bottom corner up.
inline float referenceCurve(const Shaper& shaper, float x, const std::vector<float>& corners) {
    constexpr float kLower = -0.00001f;
    constexpr float kUpper = 1.00001f;
    if (std::isnan(x) || x < kLower) {
        return corners.front();
    }
    if (x >= kUpper) {
        return corners.back();
    }
    size_t segment = 0;
    while (segment < shaper.breakpoints.size() && x >= shaper.breakpoints[segment]) {
        ++segment;
    }
    const double start = segment == 0 ? 0.0 : static_cast<double>(shaper.breakpoints[segment - 1]);
    const auto t =
        static_cast<float>((static_cast<double>(x) - start) / static_cast<double>(shaper.width));
    const double lo = corners[segment];
    const double hi = corners[segment + 1];
    return static_cast<float>(lo + (hi - lo) * static_cast<double>(t));
}

inline uint32_t bits(float value) {
    return std::bit_cast<uint32_t>(value);
}

}  // namespace qnplatform
