// The part every shaper module shares: pin descriptions from the module's pin table, the
// plain process function installed at open, and the run/sleep policy driven by plug-state
// changes. `Module` derives from ShaperShell<Module> and provides
//
//   static constexpr std::array<ShaperPin<Module>, N> pinTable();  // inputs first, output last
//   void shaperProcess(int32_t bufferOffset, int32_t sampleCount);
//   int32_t sleepCountdown;
//
// The shell has no data members, so the module's members follow the QNModule_base part
// directly, and it only overrides base operations, so the virtual table keeps the base order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>

#include "QNModule_base.h"
#include "call_descriptor.h"
#include "shaper_pin.h"
#include "stream_pin_description.h"

namespace qn::shapers {

template <class Module>
class ShaperShell : public QNModule_base {
  public:
    using QNModule_base::QNModule_base;

    void open() override {
        static_assert(sizeof(ShaperShell) == sizeof(QNModule_base),
                      "the module's pin variables must follow the base part directly");
        QNModule_base::open();
        setProcessFunction(qn::processFunction<Module, &Module::shaperProcess>());
    }

    bool getPinProperties(int32_t index, PinProperties* properties) override {
        static constexpr auto kTable = Module::pinTable();
        // Unsigned, so that negative indices are refused as well.
        if (static_cast<uint32_t>(index) >= kTable.size()) {
            return false;
        }
        const ShaperPin<Module>& pin = kTable[static_cast<std::size_t>(index)];
        qn::describeStreamPin(properties, &(self().*pin.variable), pin.direction, pin.name,
                              pin.defaultText);
        return true;
    }

    // The output announces the strongest state among the inputs. Any streaming input keeps
    // the module running; otherwise it computes one more block and then asks to sleep.
    void onPlugStateChange(QNPin& /*pin*/) override {
        const PlugState combined = combinedInputState();
        const int32_t output = outputPin();
        if (hasBoundPin(output)) {
            const int32_t clock = getSampleClock();
            getPin(output).transmitStatus(clock, combined);
        }
        if (combined >= streaming) {
            setProcessFunction(qn::processFunction<Module, &Module::shaperProcess>());
        } else {
            self().sleepCountdown = getBlockSize();
            setProcessFunction(
                qn::processFunction<ShaperShell, &ShaperShell::shaperProcessThenSleep>());
        }
    }

    // Installed while no input streams. Keeps asking to sleep on every call once the countdown
    // has run out, since only a plug-state change resets it.
    void shaperProcessThenSleep(int32_t bufferOffset, int32_t sampleCount) {
        Module& module = self();
        module.shaperProcess(bufferOffset, sampleCount);
        // Saturates instead of wrapping: a module called for ages while asleep stays asleep.
        const int64_t remaining = static_cast<int64_t>(module.sleepCountdown) - sampleCount;
        module.sleepCountdown = static_cast<int32_t>(std::clamp<int64_t>(
            remaining, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
        if (module.sleepCountdown <= 0) {
            callHost(hostSleep, 0, 0, nullptr, 0.0f);
        }
    }

  private:
    // The output is the last pin of every table.
    static constexpr int32_t outputPin() noexcept {
        return static_cast<int32_t>(Module::pinTable().size()) - 1;
    }

    Module& self() noexcept { return static_cast<Module&>(*this); }

    // A host may count fewer slots than the table; pins it left out are never touched.
    bool hasBoundPin(int32_t index) noexcept { return hasPin(index) && getPin(index).isBound(); }

    PlugState inputState(int32_t index) noexcept {
        return hasBoundPin(index) ? getPin(index).getStatus() : PlugState{idle};
    }

    PlugState combinedInputState() noexcept {
        static constexpr auto kTable = Module::pinTable();
        // Every table has inputs, so the starting value never survives.
        PlugState combined = std::numeric_limits<PlugState>::min();
        for (std::size_t index = 0; index < kTable.size(); ++index) {
            if (kTable[index].direction == pinInput) {
                combined = std::max(combined, inputState(static_cast<int32_t>(index)));
            }
        }
        return combined;
    }
};

}  // namespace qn::shapers
