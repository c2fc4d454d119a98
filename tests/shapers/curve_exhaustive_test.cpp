// Exhaustive checks, minutes rather than seconds, run only under their own label: the
// single-precision position shortcut over every float control in range, and every curve
// kernel this machine can run over all 2^32 control bit patterns against the definition.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "curve_reference.h"
#include "kernel_test_curves.h"

namespace shapertest {
namespace {

using qn::shapers::CurvePath;

constexpr unsigned kWorkers = 2;

// Runs `work(high)` for the 65536 values of the upper half of a 32-bit pattern, split over the
// workers; true when every call returned true.
template <class Work>
bool overAllPatterns(Work work) {
    std::array<bool, kWorkers> passed{};
    std::vector<std::thread> threads;
    for (unsigned w = 0; w < kWorkers; ++w) {
        threads.emplace_back([&, w] {
            bool ok = true;
            for (uint32_t high = w; high < 65536u && ok; high += kWorkers) {
                ok = work(high);
            }
            passed[w] = ok;
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    return std::all_of(passed.begin(), passed.end(), [](bool ok) { return ok; });
}

template <class Curve>
class CurveExhaustiveTest : public testing::Test {};

TYPED_TEST_SUITE(CurveExhaustiveTest, TestCurves);

// The float subtraction from the segment start and the float scale or division give the same
// t as the double computation rounded to float, for every float from the lower threshold up
// to, not including, the upper one.
TYPED_TEST(CurveExhaustiveTest, SinglePrecisionPositionForEveryControlInRange) {
    using Curve = TypeParam;
    std::array<uint32_t, kWorkers> firstFailure{};
    std::array<bool, kWorkers> failed{};
    const bool passed = overAllPatterns([&](uint32_t high) {
        for (uint32_t low = 0; low < 65536u; ++low) {
            const uint32_t bits = high << 16 | low;
            const float x = std::bit_cast<float>(bits);
            if (!(x >= kLowerThreshold && x < kUpperThreshold)) {
                continue;
            }
            const auto [single, reference] = positionBothWays<Curve>(x);
            if (std::bit_cast<uint32_t>(single) != std::bit_cast<uint32_t>(reference)) {
                failed[high % kWorkers] = true;
                firstFailure[high % kWorkers] = bits;
                return false;
            }
        }
        return true;
    });
    for (unsigned worker = 0; worker < kWorkers; ++worker) {
        EXPECT_FALSE(failed[worker]) << "control 0x" << std::hex << firstFailure[worker];
    }
    EXPECT_TRUE(passed);
}

// Every control bit pattern through every available kernel, against the definition. The
// corners vary from position to position and include huge values, infinities and zeros.
TYPED_TEST(CurveExhaustiveTest, EveryPathForEveryControlPattern) {
    using Curve = TypeParam;
    constexpr std::size_t kCorners = qn::shapers::kCornerCount<Curve>;
    const std::vector<float> breakpoints(Curve::breakpoints.begin(), Curve::breakpoints.end());
    const std::array<float, 11> pool{0.3f,
                                     -0.7f,
                                     2.5f,
                                     1.25f,
                                     -0.0f,
                                     3.0e38f,
                                     -3.0e38f,
                                     std::numeric_limits<float>::infinity(),
                                     1.0f,
                                     -1.0f,
                                     std::numeric_limits<float>::denorm_min()};
    // Corner blocks of 65536 positions, the same for every upper half of the pattern.
    std::vector<std::vector<float>> corners(kCorners, std::vector<float>(65536));
    for (std::size_t k = 0; k < kCorners; ++k) {
        for (std::size_t i = 0; i < 65536; ++i) {
            corners[k][i] = pool[(i * 7 + k * 3 + i / 11) % pool.size()];
        }
    }
    std::array<const float*, kCorners> blocks;
    for (std::size_t k = 0; k < kCorners; ++k) {
        blocks[k] = corners[k].data();
    }
    // The scalar loop runs the definition itself; the vector paths are what needs proving.
    std::vector<CurvePath> paths = availablePaths();
    std::erase(paths, CurvePath::scalar);
    std::array<uint32_t, kWorkers> mismatch{};
    std::array<CurvePath, kWorkers> mismatchPath{};
    const bool passed = overAllPatterns([&](uint32_t high) {
        thread_local std::vector<float> control(65536);
        thread_local std::vector<float> expected(65536);
        thread_local std::vector<float> out(65536);
        thread_local std::vector<float> values(kCorners);
        for (uint32_t low = 0; low < 65536u; ++low) {
            control[low] = std::bit_cast<float>(high << 16 | low);
            for (std::size_t k = 0; k < kCorners; ++k) {
                values[k] = corners[k][low];
            }
            expected[low] = referenceCurve(breakpoints, Curve::width, control[low], values);
        }
        for (const CurvePath path : paths) {
            qn::shapers::curveKernelFor<Curve>(path)(out.data(), control.data(), blocks.data(),
                                                     65536);
            if (std::memcmp(out.data(), expected.data(), 65536 * sizeof(float)) != 0) {
                std::size_t at = 0;
                while (std::bit_cast<uint32_t>(out[at]) == std::bit_cast<uint32_t>(expected[at])) {
                    ++at;
                }
                mismatch[high % kWorkers] = high << 16 | static_cast<uint32_t>(at);
                mismatchPath[high % kWorkers] = path;
                return false;
            }
        }
        return true;
    });
    for (unsigned w = 0; w < kWorkers; ++w) {
        EXPECT_EQ(mismatch[w], 0u) << qn::shapers::curvePathName(mismatchPath[w])
                                   << " differs at control 0x" << std::hex << mismatch[w];
    }
    EXPECT_TRUE(passed);
}

}  // namespace
}  // namespace shapertest
