// Every curve kernel this machine can run, bit for bit against the reference written from the
// definition: over ten million mixed samples (breakpoints, thresholds and their float
// neighbours, signed zeros, infinities, NaNs, subnormals, huge corners), in runs of odd lengths
// from odd offsets so that tails and unaligned starts are hit, with the output on top of an
// input, and a sample of the single-precision position shortcut the kernels rely on.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "curve_reference.h"
#include "kernel_test_curves.h"

namespace shapertest {
namespace {

using qn::shapers::CurvePath;

constexpr float kInf = std::numeric_limits<float>::infinity();
// A quiet NaN with a payload no computation produces: marks positions a run must not write.
const float kCanary = std::bit_cast<float>(0x7FC0DEADu);

template <class Curve>
std::vector<float> breakpointsOf() {
    return {Curve::breakpoints.begin(), Curve::breakpoints.end()};
}

// Controls that sit on or next to every place where the curve changes its rule.
template <class Curve>
std::vector<float> edgeControls() {
    std::vector<float> anchors{kLowerThreshold, 0.0f, 1.0f, kUpperThreshold};
    anchors.insert(anchors.end(), Curve::breakpoints.begin(), Curve::breakpoints.end());
    std::vector<float> controls;
    for (const float anchor : anchors) {
        float below = anchor;
        float above = anchor;
        controls.push_back(anchor);
        for (int step = 0; step < 4; ++step) {
            below = std::nextafter(below, -kInf);
            above = std::nextafter(above, kInf);
            controls.push_back(below);
            controls.push_back(above);
        }
    }
    const float qnan = std::numeric_limits<float>::quiet_NaN();
    controls.insert(controls.end(),
                    {0.0f, -0.0f, kInf, -kInf, qnan, -qnan, std::bit_cast<float>(0x7F800001u),
                     std::bit_cast<float>(0xFFBADBADu), std::numeric_limits<float>::denorm_min(),
                     -std::numeric_limits<float>::denorm_min(), std::bit_cast<float>(0x007FFFFFu),
                     std::bit_cast<float>(0x807FFFFFu), std::numeric_limits<float>::min(),
                     std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(), -3.0f,
                     2.0f, 0.125f, 0.875f});
    return controls;
}

// Corner values: ordinary ones, both signs of zero, subnormals, values near the float limit
// (their difference overflows float but not double), infinities and one NaN pattern.
std::vector<float> cornerPool() {
    return {0.0f,
            -0.0f,
            1.0f,
            -1.0f,
            0.3f,
            -0.7f,
            2.5f,
            1.25f,
            -0.125f,
            10.0f,
            std::numeric_limits<float>::denorm_min(),
            -std::bit_cast<float>(0x00012345u),
            std::numeric_limits<float>::max(),
            -std::numeric_limits<float>::max(),
            3.0e38f,
            -2.9e38f,
            kInf,
            -kInf,
            std::numeric_limits<float>::quiet_NaN()};
}

class Inputs {
  public:
    Inputs(std::size_t corners, std::size_t size) : control_(size), corners_(corners) {
        for (auto& block : corners_) {
            block.resize(size);
        }
    }

    // Controls mix edges, uniform values over the range and beyond, and raw bit patterns;
    // corners mostly ordinary random values with pool values mixed in.
    template <class Curve>
    void fill(std::mt19937& random) {
        static const std::vector<float> edges = edgeControls<Curve>();
        static const std::vector<float> pool = cornerPool();
        std::uniform_real_distribution<float> range(-0.05f, 1.05f);
        std::uniform_real_distribution<float> value(-4.0f, 4.0f);
        for (std::size_t i = 0; i < control_.size(); ++i) {
            switch (random() % 4) {
                case 0:
                    control_[i] = edges[random() % edges.size()];
                    break;
                case 1:
                    control_[i] = std::bit_cast<float>(static_cast<uint32_t>(random()));
                    break;
                default:
                    control_[i] = range(random);
                    break;
            }
            for (auto& block : corners_) {
                block[i] = random() % 8 == 0 ? pool[random() % pool.size()] : value(random);
            }
        }
    }

    std::size_t size() const { return control_.size(); }
    const float* control() const { return control_.data(); }
    float* control() { return control_.data(); }
    float* corner(std::size_t k) { return corners_[k].data(); }

    std::vector<float> cornersAt(std::size_t at) const {
        std::vector<float> values;
        for (const auto& block : corners_) {
            values.push_back(block[at]);
        }
        return values;
    }

    std::vector<const float*> blocksFrom(std::size_t at) const {
        std::vector<const float*> blocks;
        for (const auto& block : corners_) {
            blocks.push_back(block.data() + at);
        }
        return blocks;
    }

  private:
    std::vector<float> control_;
    std::vector<std::vector<float>> corners_;
};

template <class Curve>
std::vector<float> expectedOutputs(const Inputs& inputs) {
    const std::vector<float> breakpoints = breakpointsOf<Curve>();
    std::vector<float> expected(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        expected[i] =
            referenceCurve(breakpoints, Curve::width, inputs.control()[i], inputs.cornersAt(i));
    }
    return expected;
}

// Reports the first mismatching position only: one is enough to find the fault.
testing::AssertionResult sameBlock(const std::vector<float>& actual,
                                   const std::vector<float>& expected, const Inputs& inputs,
                                   std::size_t margin) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto result = sameBits("actual", "expected", actual[margin + i], expected[i]);
        if (!result) {
            char control[32];
            std::snprintf(control, sizeof control, "0x%08x",
                          static_cast<unsigned>(std::bit_cast<uint32_t>(inputs.control()[i])));
            return testing::AssertionFailure()
                   << "position " << i << ", control " << control << ": " << result.message();
        }
    }
    for (std::size_t i = 0; i < margin; ++i) {
        if (std::bit_cast<uint32_t>(actual[i]) != std::bit_cast<uint32_t>(kCanary) ||
            std::bit_cast<uint32_t>(actual[margin + expected.size() + i]) !=
                std::bit_cast<uint32_t>(kCanary)) {
            return testing::AssertionFailure() << "a write outside the runs";
        }
    }
    return testing::AssertionSuccess();
}

template <class Curve>
class CurveKernelTest : public testing::Test {};

TYPED_TEST_SUITE(CurveKernelTest, TestCurves);

TYPED_TEST(CurveKernelTest, EveryPathMatchesTheDefinitionOnMixedSamples) {
    using Curve = TypeParam;
    constexpr std::size_t kCorners = qn::shapers::kCornerCount<Curve>;
    // 52 blocks of 65536 per curve: over ten million samples across the three curves.
    constexpr std::size_t kBlock = 65536;
    constexpr int kBlocks = 52;
    constexpr std::size_t kMargin = 17;
    const std::vector<CurvePath> paths = availablePaths();
    std::mt19937 random(20240917u + static_cast<unsigned>(kCorners));
    Inputs inputs(kCorners, kBlock);
    std::vector<float> out(kBlock + 2 * kMargin);
    for (int round = 0; round < kBlocks; ++round) {
        inputs.fill<Curve>(random);
        const std::vector<float> expected = expectedOutputs<Curve>(inputs);
        for (const CurvePath path : paths) {
            SCOPED_TRACE(qn::shapers::curvePathName(path));
            const auto kernel = qn::shapers::curveKernelFor<Curve>(path);
            std::fill(out.begin(), out.end(), kCanary);
            // Back-to-back runs of mostly short, odd lengths, so starts land on every
            // alignment and most runs end in a tail; now and then a long one, and rarely one
            // long enough for the kernels to prefetch ahead.
            std::size_t at = 0;
            while (at < kBlock) {
                const std::size_t wanted = random() % 128 == 0  ? 16384 + random() % 30000
                                           : random() % 16 == 0 ? 1 + random() % 3000
                                                                : random() % 70;
                const std::size_t length = std::min(wanted, kBlock - at);
                kernel(out.data() + kMargin + at, inputs.control() + at,
                       inputs.blocksFrom(at).data(), length);
                at += length;
            }
            ASSERT_TRUE(sameBlock(out, expected, inputs, kMargin)) << "round " << round;
        }
    }
}

TYPED_TEST(CurveKernelTest, OutputMayBeTheControlOrACornerBlock) {
    using Curve = TypeParam;
    constexpr std::size_t kCorners = qn::shapers::kCornerCount<Curve>;
    constexpr std::size_t kSize = 1001;
    std::mt19937 random(77u);
    for (const CurvePath path : availablePaths()) {
        SCOPED_TRACE(qn::shapers::curvePathName(path));
        const auto kernel = qn::shapers::curveKernelFor<Curve>(path);
        // Alias the control (target -1) and then each corner block in turn.
        for (int target = -1; target < static_cast<int>(kCorners); ++target) {
            Inputs inputs(kCorners, kSize);
            inputs.fill<Curve>(random);
            const std::vector<float> expected = expectedOutputs<Curve>(inputs);
            float* out =
                target < 0 ? inputs.control() : inputs.corner(static_cast<std::size_t>(target));
            kernel(out + 3, inputs.control() + 3, inputs.blocksFrom(3).data(), kSize - 3);
            for (std::size_t i = 3; i < kSize; ++i) {
                ASSERT_TRUE(sameBits("out[i]", "expected[i]", out[i], expected[i]))
                    << "aliased block " << target << ", position " << i;
            }
        }
    }
}

// The kernels take t from a float subtraction and a float scale or division; this checks that
// it equals the double computation rounded to float on a spread of controls in range and on
// every float near the breakpoints and thresholds. The exhaustive tests cover every float.
TYPED_TEST(CurveKernelTest, SinglePrecisionPositionMatchesTheDoubleDefinition) {
    using Curve = TypeParam;
    const auto check = [](float x) {
        const auto [single, reference] = positionBothWays<Curve>(x);
        return sameBits("single", "reference", single, reference);
    };
    // Every 97th float from the lower threshold up to the upper one.
    const auto lowest = std::bit_cast<uint32_t>(kLowerThreshold);
    for (uint32_t bits = lowest; bits >= 0x80000000u; bits -= 97) {
        ASSERT_TRUE(check(std::bit_cast<float>(bits)));
    }
    const auto highest = std::bit_cast<uint32_t>(std::nextafter(kUpperThreshold, 0.0f));
    for (uint32_t bits = 0; bits <= highest; bits += 97) {
        ASSERT_TRUE(check(std::bit_cast<float>(bits)));
    }
    std::vector<float> anchors{kLowerThreshold, 0.0f, 1.0f, kUpperThreshold};
    anchors.insert(anchors.end(), Curve::breakpoints.begin(), Curve::breakpoints.end());
    for (const float anchor : anchors) {
        float x = anchor;
        for (int step = 0; step < 100000; ++step) {
            x = std::nextafter(x, -kInf);
        }
        for (int step = 0; step < 200000; ++step, x = std::nextafter(x, kInf)) {
            if (x >= kLowerThreshold && x < kUpperThreshold) {
                ASSERT_TRUE(check(x));
            }
        }
    }
}

}  // namespace
}  // namespace shapertest
