// Output samples of the three shapers, bit for bit: the numbers the curve definitions state,
// a sweep over thresholds, breakpoints and their float neighbours checked against a reference
// written from the definition, and which positions of the blocks a run touches.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "curve_reference.h"
#include "shaper_variants.h"

namespace shapertest {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();
// A quiet NaN with a payload no computation produces: marks positions a run must not write.
const float kCanary = std::bit_cast<float>(0x7FC0DEADu);

// Unordered corner values of moderate size, bottom corner first.
std::vector<float> unorderedCorners(const Variant& variant) {
    const std::vector<float> pool{0.3f, -0.7f, 2.5f, 1.25f, -0.125f};
    return {pool.begin(), pool.begin() + variant.cornerCount()};
}

// Corners that put every corner at its own control value (0, ..., 1).
std::vector<float> identityCorners(const Variant& variant) {
    std::vector<float> corners{0.0f};
    corners.insert(corners.end(), variant.breakpoints.begin(), variant.breakpoints.end());
    corners.push_back(1.0f);
    return corners;
}

// Fills position `at` of the control and corner blocks.
void setInputs(qnhost::HostedModule& host, const Variant& variant, size_t at, float control,
               const std::vector<float>& corners) {
    host.block(0)[at] = control;
    for (int32_t k = 0; k < variant.cornerCount(); ++k) {
        host.block(variant.cornerSlot(k))[at] = corners[static_cast<size_t>(k)];
    }
}

std::vector<float> cornersAt(qnhost::HostedModule& host, const Variant& variant, size_t at) {
    std::vector<float> corners;
    for (int32_t k = 0; k < variant.cornerCount(); ++k) {
        corners.push_back(host.block(variant.cornerSlot(k))[at]);
    }
    return corners;
}

// Runs the curve once per control with the same corners everywhere.
std::vector<float> shape(const Variant& variant, const std::vector<float>& controls,
                         const std::vector<float>& corners) {
    auto host = openModule(variant);
    for (size_t i = 0; i < controls.size(); ++i) {
        setInputs(*host, variant, i, controls[i], corners);
    }
    host->process(0, static_cast<int32_t>(controls.size()));
    auto out = host->block(variant.outputSlot());
    return {out.begin(), out.begin() + static_cast<std::ptrdiff_t>(controls.size())};
}

// Thresholds, breakpoints, 0 and 1, two float steps either side of each, and the far regions.
std::vector<float> edgeControls(const Variant& variant) {
    std::vector<float> anchors{kLowerThreshold, 0.0f, 1.0f, kUpperThreshold};
    anchors.insert(anchors.end(), variant.breakpoints.begin(), variant.breakpoints.end());
    std::vector<float> controls;
    for (float anchor : anchors) {
        const float below = std::nextafter(anchor, -kInf);
        const float above = std::nextafter(anchor, kInf);
        controls.insert(controls.end(), {std::nextafter(below, -kInf), below, anchor, above,
                                         std::nextafter(above, kInf)});
    }
    controls.insert(controls.end(),
                    {-0.0f, std::numeric_limits<float>::denorm_min(), -0.000005f, 1.000005f, -3.0f,
                     2.0f, -1e30f, 1e30f, kInf, -kInf, kNaN, -kNaN});
    for (int k = -8; k <= 1032; ++k) {
        controls.push_back(static_cast<float>(k) / 1024.0f);
    }
    return controls;
}

class CurveTest : public testing::TestWithParam<Variant> {};

// Each expected value is either a corner or a segment's interpolation at a t the curve's
// definition states.
struct StatedCase {
    const char* what;
    float control;
    int lower;  // corner index from the bottom
    int upper;  // -1: the output is corner `lower` itself
    float t;
};

std::vector<StatedCase> statedCases(const std::string& id) {
    if (id == "DK_1BPShaper") {
        return {{"control 0", 0.0f, 0, -1, 0},
                {"breakpoint", 0.5f, 1, -1, 0},
                {"control 1", 1.0f, 2, -1, 0},
                {"mean of the lower pair", 0.25f, 0, 1, 0.5f},
                {"mean of the upper pair", 0.75f, 1, 2, 0.5f},
                {"at the lower threshold", kLowerThreshold, 0, 1, -0.00002f},
                {"at the upper threshold", kUpperThreshold, 2, -1, 0},
                {"far below", -3.0f, 0, -1, 0},
                {"far above", 2.0f, 2, -1, 0},
                {"NaN", kNaN, 0, -1, 0},
                {"-inf", -kInf, 0, -1, 0},
                {"+inf", kInf, 2, -1, 0}};
    }
    if (id == "DK_2BPShaper") {
        return {{"control 0", 0.0f, 0, -1, 0},
                {"first breakpoint", 0.33333334f, 1, -1, 0},
                {"second breakpoint", 0.6666667f, 2, -1, 0},
                {"control 1 divides by the common width", 1.0f, 2, 3, 0.99999994f},
                {"control 0.5", 0.5f, 1, 2, 0.49999997f},
                {"just below the second breakpoint", 0.6666666269302368f, 1, 2, 0.9999998f},
                {"at the upper threshold", kUpperThreshold, 3, -1, 0},
                {"far below", -3.0f, 0, -1, 0},
                {"far above", 2.0f, 3, -1, 0},
                {"NaN", kNaN, 0, -1, 0},
                {"-inf", -kInf, 0, -1, 0},
                {"+inf", kInf, 3, -1, 0}};
    }
    return {{"control 0", 0.0f, 0, -1, 0},
            {"first breakpoint", 0.25f, 1, -1, 0},
            {"second breakpoint", 0.5f, 2, -1, 0},
            {"third breakpoint", 0.75f, 3, -1, 0},
            {"control 1", 1.0f, 4, -1, 0},
            {"mean of the lowest pair", 0.125f, 0, 1, 0.5f},
            {"mean of the highest pair", 0.875f, 3, 4, 0.5f},
            {"at the lower threshold", kLowerThreshold, 0, 1, -0.00004f},
            {"at the upper threshold", kUpperThreshold, 4, -1, 0},
            {"far below", -3.0f, 0, -1, 0},
            {"far above", 2.0f, 4, -1, 0},
            {"NaN", kNaN, 0, -1, 0},
            {"-inf", -kInf, 0, -1, 0},
            {"+inf", kInf, 4, -1, 0}};
}

TEST_P(CurveTest, GivesTheStatedValues) {
    const Variant& variant = GetParam();
    const std::vector<float> corners = unorderedCorners(variant);
    const std::vector<StatedCase> cases = statedCases(variant.id);
    std::vector<float> controls;
    for (const StatedCase& c : cases) {
        controls.push_back(c.control);
    }
    const std::vector<float> out = shape(variant, controls, corners);
    for (size_t i = 0; i < cases.size(); ++i) {
        const StatedCase& c = cases[i];
        SCOPED_TRACE(c.what);
        const float expected = c.upper < 0
                                   ? corners[static_cast<size_t>(c.lower)]
                                   : interpolate(corners[static_cast<size_t>(c.lower)],
                                                 corners[static_cast<size_t>(c.upper)], c.t);
        EXPECT_PRED_FORMAT2(sameBits, out[i], expected);
    }
}

// Every sample position gets corners of its own, so a curve that reads corners from the wrong
// position or pin shows up as well as one that gets a region or a rounding wrong.
TEST_P(CurveTest, MatchesTheDefinitionAtEveryEdge) {
    const Variant& variant = GetParam();
    const std::vector<float> controls = edgeControls(variant);
    auto host = openModule(variant);
    uint32_t seed = 12345;
    for (size_t i = 0; i < controls.size(); ++i) {
        std::vector<float> corners;
        for (int32_t k = 0; k < variant.cornerCount(); ++k) {
            // Signed values from 2^-30 to 2^30, so that corner differences are not always
            // exact in double and the order of the operations shows.
            seed = seed * 1664525u + 1013904223u;
            const float mantissa = 1.0f + static_cast<float>(seed >> 9) / 8388608.0f;
            const int exponent = static_cast<int>(seed % 61u) - 30;
            const float sign = (seed & 0x100u) != 0 ? -1.0f : 1.0f;
            corners.push_back(sign * std::ldexp(mantissa, exponent));
        }
        setInputs(*host, variant, i, controls[i], corners);
    }
    host->process(0, static_cast<int32_t>(controls.size()));
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "control " << controls[i] << " (0x" << std::hex
                                        << std::bit_cast<uint32_t>(controls[i]) << ")");
        const float expected = referenceCurve(variant.breakpoints, variant.width, controls[i],
                                              cornersAt(*host, variant, i));
        EXPECT_PRED_FORMAT2(sameBits, host->block(variant.outputSlot())[i], expected);
    }
}

// With every corner at its own control value the evenly spaced curves give back the control
// itself up to the upper threshold, 0 below the lower one and 1 from the upper one on. The
// two-breakpoint curve's corners are only the nearest floats to thirds, so it is held to the
// definition instead.
TEST_P(CurveTest, IdentityCorners) {
    const Variant& variant = GetParam();
    const bool exact = variant.id != std::string("DK_2BPShaper");
    const std::vector<float> corners = identityCorners(variant);
    std::vector<float> controls = edgeControls(variant);
    for (int k = 0; k <= 2048; ++k) {
        controls.push_back(static_cast<float>(k) / 2048.0f);
    }
    const std::vector<float> out = shape(variant, controls, corners);
    for (size_t i = 0; i < controls.size(); ++i) {
        const float x = controls[i];
        SCOPED_TRACE(testing::Message() << "control " << x);
        float expected = referenceCurve(variant.breakpoints, variant.width, x, corners);
        if (exact) {
            // A control of -0 gives +0: the bottom corner +0 plus a product of -0.
            expected = std::isnan(x) || x < kLowerThreshold ? 0.0f
                       : x >= kUpperThreshold               ? 1.0f
                       : x == 0.0f                          ? 0.0f
                                                            : x;
        }
        EXPECT_PRED_FORMAT2(sameBits, out[i], expected);
    }
}

TEST(OneBreakpointCurve, CornersOneZeroOneGiveAV) {
    const std::vector<float> out =
        shape(variants()[0], {0.0f, 0.25f, 0.5f, 0.75f, 1.0f}, {1.0f, 0.0f, 1.0f});
    const std::vector<float> expected{1.0f, 0.5f, 0.0f, 0.5f, 1.0f};
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_PRED_FORMAT2(sameBits, out[i], expected[i]);
    }
}

// A run writes exactly its own positions of the output block and nothing else.
TEST_P(CurveTest, WritesExactlyTheRequestedRun) {
    const Variant& variant = GetParam();
    struct Run {
        int32_t offset;
        int32_t count;
    };
    for (const Run run :
         {Run{37, 100}, Run{0, 1}, Run{4095, 1}, Run{0, 4096}, Run{12, 0}, Run{12, -5}}) {
        SCOPED_TRACE(testing::Message() << "offset " << run.offset << " count " << run.count);
        auto host = openModule(variant);
        for (size_t i = 0; i < 4096; ++i) {
            setInputs(*host, variant, i, static_cast<float>(i) / 4096.0f,
                      unorderedCorners(variant));
        }
        std::vector<float> out(4096 + 2, kCanary);  // one guard sample either side
        host->setPinBlock(variant.outputSlot(), out.data() + 1);
        host->process(run.offset, run.count);

        for (int32_t i = -1; i <= 4096; ++i) {
            const float written = out[static_cast<size_t>(i + 1)];
            if (i >= run.offset && i < run.offset + run.count) {
                const auto at = static_cast<size_t>(i);
                EXPECT_PRED_FORMAT2(
                    sameBits, written,
                    referenceCurve(variant.breakpoints, variant.width, host->block(0)[at],
                                   cornersAt(*host, variant, at)))
                    << "position " << i;
            } else {
                EXPECT_PRED_FORMAT2(sameBits, written, kCanary) << "position " << i;
            }
        }
    }
}

// The output block may be the very block of any one input.
TEST_P(CurveTest, OutputMayAliasAnyInput) {
    const Variant& variant = GetParam();
    constexpr size_t kRun = 300;
    for (int32_t shared = 0; shared < variant.outputSlot(); ++shared) {
        SCOPED_TRACE(testing::Message() << "output shares the block of slot " << shared);
        auto host = openModule(variant);
        std::vector<float> expected;
        for (size_t i = 0; i < kRun; ++i) {
            const float control = -0.1f + 1.2f * static_cast<float>(i) / kRun;
            std::vector<float> corners = unorderedCorners(variant);
            corners[i % corners.size()] += static_cast<float>(i) / 64.0f;
            setInputs(*host, variant, i, control, corners);
            expected.push_back(
                referenceCurve(variant.breakpoints, variant.width, control, corners));
        }
        host->setPinBlock(variant.outputSlot(), host->block(shared).data());
        host->process(0, static_cast<int32_t>(kRun));
        for (size_t i = 0; i < kRun; ++i) {
            EXPECT_PRED_FORMAT2(sameBits, host->block(shared)[i], expected[i]) << "position " << i;
        }
    }
}

// A pin whose block the host never stored leaves the run without output, and without a crash.
TEST_P(CurveTest, WritesNothingWhileABlockIsMissing) {
    const Variant& variant = GetParam();
    for (int32_t missing = 0; missing < variant.outputSlot(); ++missing) {
        SCOPED_TRACE(testing::Message() << "no block on slot " << missing);
        auto host = openModule(variant);
        std::vector<float> out(64, kCanary);
        host->setPinBlock(variant.outputSlot(), out.data());
        host->setPinBlock(missing, nullptr);
        host->process(0, 64);
        for (float sample : out) {
            EXPECT_PRED_FORMAT2(sameBits, sample, kCanary);
        }
    }
    auto host = openModule(variant);
    host->setPinBlock(variant.outputSlot(), nullptr);
    host->process(0, 64);
}

INSTANTIATE_TEST_SUITE_P(Shapers, CurveTest, testing::ValuesIn(variants()),
                         [](const testing::TestParamInfo<Variant>& info) {
                             return std::string(info.param.id);
                         });

}  // namespace
}  // namespace shapertest
