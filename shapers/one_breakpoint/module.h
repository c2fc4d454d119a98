// The one-breakpoint shaper: two segments through corners at control 0, 0.5 and 1.
#pragma once

#include <array>
#include <cstdint>

#include "breakpoint_curve.h"
#include "shaper_shell.h"

namespace dk::one_breakpoint {

struct Curve {
    static constexpr std::array<float, 1> breakpoints{0.5f};
    static constexpr float width = 0.5f;
};

class Module : public qn::shapers::ShaperShell<Module> {
  public:
    using ShaperShell::ShaperShell;

    // Corner pins run from the top corner down; the last pin is the output.
    static constexpr std::array<qn::shapers::ShaperPin<Module>, 5> pinTable() {
        return {{
            {&Module::inControl, pinInput, "Control 0-10v", "0"},
            {&Module::in10, pinInput, "10", "10"},
            {&Module::in5, pinInput, "5", "5"},
            {&Module::in0, pinInput, "0", "0"},
            {&Module::out, pinOutput, "Output", nullptr},
        }};
    }

    void shaperProcess(int32_t bufferOffset, int32_t sampleCount) {
        qn::shapers::runCurve<Curve>(out, inControl, {in0, in5, in10}, bufferOffset, sampleCount);
    }

  private:
    friend class qn::shapers::ShaperShell<Module>;

    // Pin variables: the host stores the address of each pin's sample block here.
    float* inControl = nullptr;
    float* in10 = nullptr;
    float* in5 = nullptr;
    float* in0 = nullptr;
    float* out = nullptr;
    // Samples still to compute before asking the host to sleep.
    int32_t sleepCountdown = 0;
};

}  // namespace dk::one_breakpoint
