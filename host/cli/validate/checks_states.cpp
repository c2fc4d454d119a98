// The run/sleep policy as a host sees it: the plug state a module announces on its outputs
// after each status event, and when it asks to sleep.
#include <algorithm>

#include "check.h"

namespace qnhost::validate {

namespace {

struct StatusStep {
    size_t input;     // position among the inputs
    PlugState state;  // what the host tells
};

void checkPlugStates(const CheckContext& context) {
    const std::vector<const PinInfo*> inputs = context.session.inputs();
    const std::vector<const PinInfo*> outputs = context.session.outputs();
    if (inputs.empty() || outputs.empty()) {
        skip("the module needs an input and an output for this");
    }
    std::unique_ptr<HostedModule> module = openInstance(context);
    module->setRecording(true);

    const size_t last = inputs.size() - 1;
    std::vector<StatusStep> steps;
    for (size_t i = 0; i < inputs.size(); ++i) {
        steps.push_back({i, idle});
    }
    steps.insert(steps.end(), {{0, streaming},
                               {0, idle},
                               {last, oneShot},
                               {0, idle},
                               {last, streaming},
                               {0, oneShot},
                               {last, idle},
                               {0, 3}});

    std::vector<PlugState> states(inputs.size(), idle);
    int announcing = 0;
    int32_t clock = 44100;
    for (const StatusStep& step : steps) {
        clock += 333;
        module->setSampleClock(clock);
        module->clearRequests();
        module->sendPinStatus(inputs[step.input]->slot, step.state);
        states[step.input] = step.state;
        const PlugState expected = *std::max_element(states.begin(), states.end());
        if (step.state == oneShot) {
            states[step.input] = idle;  // it lasts only for its own event
        }
        const std::string event =
            "after input \"" + inputs[step.input]->name + "\" became " + std::to_string(step.state);
        int seen = 0;
        for (const Request& request : module->requests()) {
            if (request.code != hostPinStatus) {
                continue;
            }
            ++seen;
            const bool onOutput =
                std::any_of(outputs.begin(), outputs.end(),
                            [&](const PinInfo* pin) { return pin->slot == request.index; });
            require(onOutput, event + ", it announced a state on pin slot " +
                                  std::to_string(request.index) + ", which is no output");
            require(request.value == expected,
                    event + ", it announced " + std::to_string(request.value) + ", expected " +
                        std::to_string(expected) + " (the strongest input state)");
            require(request.ptr == static_cast<intptr_t>(static_cast<uint32_t>(clock)),
                    event + ", the announcement carries clock " + std::to_string(request.ptr) +
                        " instead of the current " + std::to_string(clock));
        }
        if (seen > 0) {
            ++announcing;
        } else {
            require(announcing == 0, event + ", it announced nothing");
        }
    }
    if (announcing == 0) {
        skip("the module announces no plug state");
    }
    require(announcing == static_cast<int>(steps.size()),
            "announces a state after only " + std::to_string(announcing) + " of " +
                std::to_string(steps.size()) + " status events");
}

struct CountdownCase {
    int32_t blockSize;
    int32_t run;
};

// Runs after an idle change until the first sleep request; answers the samples processed.
int64_t samplesUntilSleep(HostedModule& module, const PluginSession& session,
                          const CountdownCase& test, int runs) {
    setAllInputs(module, session, idle);
    const int32_t before = module.sleepRequests();
    int64_t samples = 0;
    for (int i = 0; i < runs; ++i) {
        module.process(0, test.run);
        samples += test.run;
        if (module.sleepRequests() > before) {
            return samples;
        }
    }
    return -1;
}

void checkSleepCountdown(const CheckContext& context) {
    if (context.session.inputs().empty()) {
        skip("the module has no input");
    }
    const CountdownCase cases[] = {{64, 16}, {100, 30}, {64, 64}, {1024, 256}, {256, 100}};
    bool sleeps = false;
    for (const CountdownCase& test : cases) {
        HostOptions options;
        options.blockCapacity = std::max(test.blockSize, test.run);
        std::unique_ptr<HostedModule> module = context.session.makeInstance(options);
        module->setBlockSize(test.blockSize);
        module->open();
        fillDefaults(*module, context.session);
        const int expectedRuns = (test.blockSize + test.run - 1) / test.run;
        const int64_t expected = static_cast<int64_t>(expectedRuns) * test.run;
        const std::string which = "block size " + std::to_string(test.blockSize) + ", runs of " +
                                  std::to_string(test.run);

        const int64_t first = samplesUntilSleep(*module, context.session, test, 4 * expectedRuns);
        if (first < 0 && !sleeps) {
            skip("the module never asks to sleep");
        }
        sleeps = true;
        require(first == expected,
                which + ": first sleep request after " +
                    (first < 0 ? std::string("never") : std::to_string(first) + " samples") +
                    ", expected after " + std::to_string(expected) +
                    " (the first run that completes one block)");
        // Once asleep, every further run asks again.
        const int32_t asleep = module->sleepRequests();
        module->process(0, test.run);
        module->process(0, test.run);
        require(module->sleepRequests() == asleep + 2,
                which + ": runs after the first request do not each ask to sleep again");
        // A new status event restarts the countdown from a full block.
        const int64_t again = samplesUntilSleep(*module, context.session, test, 4 * expectedRuns);
        require(again == expected, which + ": after a new status event the request came after " +
                                       std::to_string(again) + " samples, expected " +
                                       std::to_string(expected));
        // A streaming input keeps it running.
        module->sendPinStatus(context.session.inputs().front()->slot, streaming);
        const int32_t streamingBefore = module->sleepRequests();
        for (int i = 0; i < 4 * expectedRuns; ++i) {
            module->process(0, test.run);
        }
        require(module->sleepRequests() == streamingBefore,
                which + ": asks to sleep while an input streams");
    }
}

}  // namespace

std::vector<Check> stateChecks() {
    return {
        {"plug-states", "announces the strongest input state at the current clock",
         checkPlugStates},
        {"sleep-countdown", "asks to sleep one block after its inputs stop streaming",
         checkSleepCountdown},
    };
}

}  // namespace qnhost::validate
