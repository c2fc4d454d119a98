// One fixed set of inputs, run through each shaper library in every build (native, 32-bit
// Linux, 32-bit Windows under Wine). Every output must carry the bits the curve's definition
// gives, and the digest printed per library lets the builds be compared with each other.
#include <gtest/gtest.h>

#include <cfloat>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "hosted_module.h"
#include "plugin_library.h"
#include "shaper_variants.h"

namespace qnplatform {

using Shaper = shapertest::Variant;
using shapertest::bits;
using shapertest::referenceCurve;

namespace {

// A small generator of our own, so that every build sees the same inputs.
class Sequence {
  public:
    uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    }
    // Uniform in [low, high), from 24 random bits.
    float uniform(float low, float high) {
        const float unit = static_cast<float>(next() >> 8) / 16777216.0f;
        return low + (high - low) * unit;
    }

  private:
    uint64_t state = 0x5EEDC0DE12345678ull;
};

struct Inputs {
    std::vector<float> controls;
    std::vector<std::vector<float>> corners;  // per sample, from the bottom corner up
};

Inputs makeInputs(const Shaper& shaper) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> special{-kInf,     kInf,     kNaN,  -kNaN,
                               -FLT_MAX,  FLT_MAX,  -3.0f, -1.0f,
                               -0.00001f, -0.0f,    0.0f,  std::numeric_limits<float>::denorm_min(),
                               1.0f,      1.00001f, 2.0f};
    for (float edge : {-0.00001f, 1.0f, 1.00001f}) {
        special.push_back(std::nextafter(edge, -kInf));
        special.push_back(std::nextafter(edge, kInf));
    }
    for (float breakpoint : shaper.breakpoints) {
        special.push_back(breakpoint);
        special.push_back(std::nextafter(breakpoint, -kInf));
        special.push_back(std::nextafter(breakpoint, kInf));
        special.push_back(breakpoint - shaper.width / 2.0f);
        special.push_back(breakpoint + shaper.width / 2.0f);
    }

    Sequence random;
    const auto corners = static_cast<size_t>(shaper.cornerCount());
    Inputs inputs;
    const auto add = [&](float control, std::vector<float> values) {
        inputs.controls.push_back(control);
        inputs.corners.push_back(std::move(values));
    };
    for (float control : special) {
        std::vector<float> identity;  // corners on the diagonal: output follows the control
        for (size_t k = 0; k < corners; ++k) {
            identity.push_back(k == 0 ? 0.0f : k + 1 == corners ? 1.0f : shaper.breakpoints[k - 1]);
        }
        add(control, identity);
        std::vector<float> mixed;
        for (size_t k = 0; k < corners; ++k) {
            mixed.push_back(random.uniform(-1.5f, 1.5f));
        }
        add(control, mixed);
    }
    for (int i = 0; i < 3000; ++i) {
        float control = random.uniform(-0.05f, 1.05f);
        if (i % 8 == 0) {
            control = std::bit_cast<float>(random.next());  // any pattern, NaNs included
        }
        std::vector<float> values;
        for (size_t k = 0; k < corners; ++k) {
            // Now and then a corner near the float range, so that rounding overflows.
            values.push_back(i % 97 == 0 ? (k % 2 == 0 ? 3.0e38f : -3.0e38f)
                                         : random.uniform(-2.0f, 2.0f));
        }
        add(control, values);
    }
    return inputs;
}

uint64_t fnv1a(uint64_t hash, uint32_t word) {
    for (int byte = 0; byte < 4; ++byte) {
        hash ^= (word >> (8 * byte)) & 0xFFu;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

TEST(CurveBits, EveryLibraryComputesTheDefinedBitsOnTheSharedInputs) {
    for (const Shaper& shaper : shapertest::variants()) {
        const Inputs inputs = makeInputs(shaper);
        const auto count = static_cast<int32_t>(inputs.controls.size());

        auto library = qnhost::PluginLibrary::load(shaper.path());
        qnhost::HostOptions options;
        options.blockCapacity = count;
        auto module = qnhost::HostedModule::create(library->makeModule(), options);
        ASSERT_NE(module, nullptr) << shaper.id;
        module->open();
        for (int32_t i = 0; i < count; ++i) {
            const auto sample = static_cast<size_t>(i);
            module->block(0)[sample] = inputs.controls[sample];
            for (int32_t k = 0; k < shaper.cornerCount(); ++k) {
                module->block(shaper.cornerSlot(k))[sample] =
                    inputs.corners[sample][static_cast<size_t>(k)];
            }
        }
        module->process(0, count);

        uint64_t digest = 0xCBF29CE484222325ull;
        int mismatches = 0;
        for (int32_t i = 0; i < count; ++i) {
            const auto sample = static_cast<size_t>(i);
            const float actual = module->block(shaper.outputSlot())[sample];
            const float expected =
                referenceCurve(shaper, inputs.controls[sample], inputs.corners[sample]);
            digest = fnv1a(digest, bits(actual));
            if (bits(actual) != bits(expected) && ++mismatches <= 5) {
                ADD_FAILURE() << shaper.id << " sample " << i << ": control "
                              << inputs.controls[sample] << " gave " << actual << " (0x" << std::hex
                              << bits(actual) << "), the definition gives " << expected << " (0x"
                              << bits(expected) << ")" << std::dec;
            }
        }
        EXPECT_EQ(mismatches, 0) << shaper.id;
        // Compared across builds by scripts/run-windows-tests.sh.
        std::printf("curve digest %s %016" PRIx64 " over %d samples\n", shaper.id, digest, count);
        std::fflush(stdout);
    }
}

}  // namespace
}  // namespace qnplatform
