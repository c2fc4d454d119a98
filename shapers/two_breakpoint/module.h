// The two-breakpoint shaper: three segments through corners at control 0, 0.33333334,
// 0.6666667 and 1. Every segment divides by the same float width, the last one too, although
// its true length is slightly shorter: a control of 1 gives t = 0.99999994, not 1.
#pragma once

#include <array>
#include <cstdint>

#include "breakpoint_curve.h"
#include "shaper_shell.h"

namespace dk::two_breakpoint {

struct Curve {
    static constexpr std::array<float, 2> breakpoints{0.33333334f, 0.6666667f};
    static constexpr float width = 0.33333334f;
};

class Module : public qn::shapers::ShaperShell<Module> {
  public:
    using ShaperShell::ShaperShell;

    // Corner pins run from the top corner down; the last pin is the output.
    static constexpr std::array<qn::shapers::ShaperPin<Module>, 6> pinTable() {
        return {{
            {&Module::inControl, pinInput, "Control 0-10v", "0"},
            {&Module::in10, pinInput, "10", "10"},
            {&Module::in6_6, pinInput, "6.6", "6.6666"},
            {&Module::in3_3, pinInput, "3.3", "3.3333"},
            {&Module::in0, pinInput, "0", "0"},
            {&Module::out, pinOutput, "Output", nullptr},
        }};
    }

    void shaperProcess(int32_t bufferOffset, int32_t sampleCount) {
        qn::shapers::runCurve<Curve>(out, inControl, {in0, in3_3, in6_6, in10}, bufferOffset,
                                     sampleCount);
    }

  private:
    friend class qn::shapers::ShaperShell<Module>;

    // Pin variables: the host stores the address of each pin's sample block here.
    float* inControl = nullptr;
    float* in10 = nullptr;
    float* in6_6 = nullptr;
    float* in3_3 = nullptr;
    float* in0 = nullptr;
    float* out = nullptr;
    // Samples still to compute before asking the host to sleep.
    int32_t sleepCountdown = 0;
};

}  // namespace dk::two_breakpoint
