// What process calls do with the sample blocks: the exact run, in place, without touching
// the heap, and finite output for finite input.
#include <algorithm>
#include <bit>
#include <cmath>
#include <random>

#include "alloc_counter.h"
#include "check.h"

namespace qnhost::validate {

namespace {

constexpr uint32_t kCanaryBits = 0x7FA5A5A5;  // a NaN no arithmetic produces
constexpr int32_t kCapacity = 1024;

float canary() {
    return std::bit_cast<float>(kCanaryBits);
}

bool isCanary(float value) {
    return std::bit_cast<uint32_t>(value) == kCanaryBits;
}

std::vector<const PinInfo*> requireOutputs(const CheckContext& context) {
    std::vector<const PinInfo*> outputs = context.session.outputs();
    if (outputs.empty()) {
        skip("the module has no output pin");
    }
    return outputs;
}

void fillInputs(HostedModule& module, const PluginSession& session, uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 1.0f);
    for (const PinInfo* pin : session.inputs()) {
        for (float& sample : module.block(pin->slot)) {
            sample = value(random);
        }
    }
}

// Outputs hold the canary everywhere, then one run; answers what differs from expectation.
std::string runAndCompare(HostedModule& module, const PluginSession& session, int32_t offset,
                          int32_t count) {
    for (const PinInfo* pin : session.outputs()) {
        const auto block = module.block(pin->slot);
        std::fill(block.begin(), block.end(), canary());
    }
    std::vector<std::vector<float>> inputsBefore;
    for (const PinInfo* pin : session.inputs()) {
        const auto block = module.block(pin->slot);
        inputsBefore.emplace_back(block.begin(), block.end());
    }
    module.process(offset, count);
    const std::string run = "a run of " + std::to_string(count) + " at " + std::to_string(offset);
    for (const PinInfo* pin : session.outputs()) {
        const auto block = module.block(pin->slot);
        for (int32_t i = 0; i < static_cast<int32_t>(block.size()); ++i) {
            const bool inside = i >= offset && i < offset + count;
            if (inside == isCanary(block[static_cast<size_t>(i)])) {
                return run + (inside ? " left sample " : " wrote sample ") + std::to_string(i) +
                       " of output \"" + pin->name + "\"";
            }
        }
    }
    size_t which = 0;
    for (const PinInfo* pin : session.inputs()) {
        const auto block = module.block(pin->slot);
        if (!std::equal(block.begin(), block.end(), inputsBefore[which++].begin())) {
            return run + " wrote into input \"" + pin->name + "\"";
        }
    }
    return {};
}

void checkProcessRun(const CheckContext& context) {
    requireOutputs(context);
    std::unique_ptr<HostedModule> module = openInstance(context, kCapacity);
    fillInputs(*module, context.session, context.seed);
    for (const auto& [offset, count] : {std::pair{17, 100}, {0, 1}, {5, 0}, {0, kCapacity}}) {
        const std::string problem = runAndCompare(*module, context.session, offset, count);
        require(problem.empty(), problem);
    }
    // The same with every input idle, which lets a module change its process function.
    setAllInputs(*module, context.session, idle);
    for (const auto& [offset, count] : {std::pair{3, 50}, {9, 0}, {900, 124}, {9, 0}}) {
        const std::string problem = runAndCompare(*module, context.session, offset, count);
        require(problem.empty(), problem + " (inputs idle)");
    }
}

void checkInPlace(const CheckContext& context) {
    const PinInfo* output = requireOutputs(context).front();
    const std::vector<const PinInfo*> inputs = context.session.inputs();
    if (inputs.empty()) {
        skip("the module has no input pin");
    }
    constexpr int32_t kRun = 256;
    std::unique_ptr<HostedModule> module = openInstance(context, kCapacity);
    for (const PinInfo* input : inputs) {
        fillInputs(*module, context.session, context.seed);
        module->process(0, kRun);
        const auto out = module->block(output->slot);
        const std::vector<float> expected(out.begin(), out.begin() + kRun);
        fillInputs(*module, context.session, context.seed);
        const auto shared = module->block(input->slot);
        module->setPinBlock(output->slot, shared.data());
        module->process(0, kRun);
        module->setPinBlock(output->slot, out.data());
        for (int32_t i = 0; i < kRun; ++i) {
            const float got = shared[static_cast<size_t>(i)];
            const float want = expected[static_cast<size_t>(i)];
            if (std::bit_cast<uint32_t>(got) != std::bit_cast<uint32_t>(want)) {
                fail("output in the block of input \"" + input->name + "\" differs at sample " +
                     std::to_string(i) + ": " + std::to_string(got) + " instead of " +
                     std::to_string(want));
            }
        }
    }
}

void checkNoAllocation(const CheckContext& context) {
    std::unique_ptr<HostedModule> module = openInstance(context, kCapacity);
    // The host's own answers inside the window must not allocate either: keep announcements
    // and queued events out of its containers.
    module->setResponder([](const Request& request) -> std::optional<intptr_t> {
        if (request.code == hostPinStatus || request.code == hostAddEvent) {
            return 0;
        }
        return std::nullopt;
    });
    uint64_t allocations = 0;
    std::string where;
    const auto runs = [&](const char* phase) {
        for (const int32_t count : {256, 0, 64, 1, 703, 1024, 1024, 1024}) {
            AllocationWindow window;
            module->process(0, count);
            const uint64_t counted = window.stop();
            if (counted > 0 && where.empty()) {
                where = phase;
            }
            allocations += counted;
        }
    };
    runs("after open");
    setAllInputs(*module, context.session, streaming);
    runs("with inputs streaming");
    setAllInputs(*module, context.session, idle);
    runs("with inputs idle");
    require(allocations == 0, std::to_string(allocations) +
                                  " heap calls (malloc family or operator new/delete) inside "
                                  "process calls, first " +
                                  where);
}

void checkFiniteOutput(const CheckContext& context) {
    const std::vector<const PinInfo*> outputs = requireOutputs(context);
    std::unique_ptr<HostedModule> module = openInstance(context, kCapacity);
    std::mt19937 random(context.seed);
    std::uniform_real_distribution<float> wide(-4.0f, 4.0f);
    const float edges[] = {0.0f,  1.0f,       -0.00001f, 1.00001f,
                           0.5f,  -1000.0f,   1000.0f,   std::nextafter(0.0f, 1.0f),
                           -0.0f, 0.99999994f};
    for (int round = 0; round < 8; ++round) {
        for (const PinInfo* pin : context.session.inputs()) {
            for (float& sample : module->block(pin->slot)) {
                sample = random() % 4 == 0 ? edges[random() % std::size(edges)] : wide(random);
            }
        }
        setAllInputs(*module, context.session, round % 2 == 0 ? streaming : idle);
        module->process(0, kCapacity);
        for (const PinInfo* pin : outputs) {
            const auto block = module->block(pin->slot);
            const auto bad = std::find_if(block.begin(), block.end(),
                                          [](float value) { return !std::isfinite(value); });
            // The message reads *bad, so it is built only when there is a bad sample.
            if (bad != block.end()) {
                fail("output \"" + pin->name + "\" sample " + std::to_string(bad - block.begin()) +
                     " is " + std::to_string(*bad) + " for finite inputs (seed " +
                     std::to_string(context.seed) + ")");
            }
        }
    }
}

}  // namespace

std::vector<Check> processChecks() {
    return {
        {"process-run", "writes exactly the run it is given, nothing for a run of 0",
         checkProcessRun},
        {"process-in-place", "an output sharing an input's block gives the same result",
         checkInPlace},
        {"process-no-allocation", "no heap calls inside process calls", checkNoAllocation},
        {"finite-output", "finite input gives finite output", checkFiniteOutput},
    };
}

}  // namespace qnhost::validate
