// Instances over their whole life: closing, many cycles, a random storm of host calls, and
// library-wide state kept apart between plug-ins loaded together.
#include <unistd.h>

#include <filesystem>
#include <random>

#include "check.h"

namespace qnhost::validate {

namespace {

void checkClose(const CheckContext& context) {
    std::unique_ptr<HostedModule> fresh = context.session.makeInstance();
    const intptr_t unopened = fresh->close();
    require(unopened == 1, "plugClose of an instance never opened answers " +
                               std::to_string(unopened) + ", expected 1");
    std::unique_ptr<HostedModule> opened = openInstance(context);
    opened->process(0, 64);
    const intptr_t answer = opened->close();
    require(answer == 1, "plugClose answers " + std::to_string(answer) + ", expected 1");
}

void checkCycles(const CheckContext& context) {
    for (int cycle = 0; cycle < 1000; ++cycle) {
        std::unique_ptr<HostedModule> module = openInstance(context, 64);
        setAllInputs(*module, context.session, cycle % 2 == 0 ? idle : streaming);
        module->process(0, 64);
        const intptr_t answer = module->close();
        require(answer == 1,
                "cycle " + std::to_string(cycle) + ": plugClose answers " + std::to_string(answer));
    }
}

void checkRandomSequence(const CheckContext& context) {
    constexpr int32_t kCapacity = 2048;
    std::mt19937 random(context.seed);
    const auto pick = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    alignas(16) unsigned char scratch[256] = {};
    std::unique_ptr<HostedModule> module;
    bool opened = false;
    for (int step = 0; step < 4000; ++step) {
        if (module == nullptr) {
            module = context.session.makeInstance(HostOptions{kCapacity, std::nullopt, false});
            opened = false;
        }
        switch (pick(0, 9)) {
            case 0:
                if (!opened) {
                    module->open();
                    opened = true;
                }
                break;
            case 1: {
                // Any opcode but open and close, with arguments a careless host might send.
                int32_t opcode = pick(-3, 20);
                if (opcode == plugOpen || opcode == plugClose) {
                    opcode = plugCommand8;
                }
                std::fill(std::begin(scratch), std::end(scratch), 0);
                module->dispatch(opcode, pick(-5, 40), pick(-100000, 100000), scratch,
                                 static_cast<float>(pick(-96000, 192000)));
                break;
            }
            case 2:
                module->setBlockSize(pick(0, 1) == 0 ? pick(0, 64) : pick(0, 8192));
                break;
            case 3:
                module->setSampleRate(static_cast<float>(pick(1, 192000)));
                break;
            case 4:
            case 5:
                if (opened && module->pinCount() > 0) {
                    module->sendPinStatus(pick(0, module->pinCount() - 1), pick(-1, 4));
                }
                break;
            case 6:
                if (opened) {
                    // Other event types; eventCall is left out, since a host never makes one up.
                    EventRecord event{};
                    event.timeStamp = module->getSampleClock();
                    event.type = pick(0, 1) == 0 ? eventType2 : pick(3, 20);
                    event.value = pick(-10, 10);
                    event.shortValue = pick(-70000, 70000);
                    module->sendEvent(event);
                }
                break;
            case 7:
            case 8: {
                if (opened) {
                    for (int32_t slot = 0; slot < module->pinCount(); ++slot) {
                        for (float& sample : module->block(slot)) {
                            sample = static_cast<float>(pick(-20000, 20000)) / 10000.0f;
                        }
                    }
                }
                const int32_t count = pick(0, 600);
                module->process(pick(0, kCapacity - count), count);
                module->advanceSampleClock(count);
                break;
            }
            default:
                if (pick(0, 3) == 0) {
                    require(module->close() == 1, "plugClose does not answer 1");
                    module.reset();
                }
        }
    }
}

void checkSeparateState(const CheckContext& context) {
    // A second copy of the same library under another name, plus the other plug-ins named on
    // the command line, all loaded with global binding as some hosts do.
    char folder[] = "/tmp/qnhost-validate-XXXXXX";
    require(mkdtemp(folder) != nullptr, "cannot make a temporary folder");
    const std::filesystem::path copy = std::filesystem::path(folder) / "copy.so";
    std::filesystem::copy_file(context.session.path(), copy);
    std::vector<std::unique_ptr<PluginSession>> sessions;
    try {
        sessions.push_back(
            PluginSession::open(context.session.path(), PluginLibrary::Binding::kGlobal));
        sessions.push_back(PluginSession::open(copy.string(), PluginLibrary::Binding::kGlobal));
        for (const std::string& other : context.companions) {
            sessions.push_back(PluginSession::open(other, PluginLibrary::Binding::kGlobal));
        }
    } catch (...) {
        std::filesystem::remove_all(folder);
        throw;
    }
    std::filesystem::remove_all(folder);

    std::vector<std::unique_ptr<HostedModule>> modules;
    for (const auto& session : sessions) {
        modules.push_back(session->makeInstance());
        modules.back()->open();
    }
    // Each library keeps its own process-info record, describing its own instance.
    std::vector<const ProcessInfo*> infos;
    for (const auto& module : modules) {
        infos.push_back(reinterpret_cast<const ProcessInfo*>(module->dispatch(plugGetProcessInfo)));
    }
    for (size_t i = 0; i < infos.size(); ++i) {
        for (size_t j = i + 1; j < infos.size(); ++j) {
            require(infos[i] == nullptr || infos[i] != infos[j],
                    sessions[i]->path() + " and " + sessions[j]->path() +
                        " share one process-info record");
        }
    }
    for (size_t i = 0; i < infos.size(); ++i) {
        if (infos[i] == nullptr) {
            continue;
        }
        const CallDescriptor* own = infos[i]->processFunction;
        for (size_t j = 0; j < modules.size(); ++j) {
            if (j != i) {
                modules[j]->dispatch(plugGetProcessInfo);
            }
        }
        require(infos[i]->processFunction == own,
                sessions[i]->path() +
                    ": its process-info record changed when another library "
                    "was asked");
    }
    // Both copies compute the same.
    const std::vector<const PinInfo*> outputs = context.session.outputs();
    if (!outputs.empty()) {
        std::vector<float> results[2];
        for (int which = 0; which < 2; ++which) {
            HostedModule& module = *modules[static_cast<size_t>(which)];
            fillDefaults(module, *sessions[static_cast<size_t>(which)]);
            module.process(0, 256);
            const auto block = module.block(outputs.front()->slot);
            results[which].assign(block.begin(), block.begin() + 256);
        }
        require(results[0] == results[1], "two loaded copies compute different outputs");
    }
}

}  // namespace

std::vector<Check> lifecycleChecks() {
    return {
        {"close", "plugClose answers 1", checkClose},
        {"cycles", "1000 create/open/close cycles", checkCycles},
        {"random-sequence", "a seeded random sequence of host calls does not crash",
         checkRandomSequence},
        {"separate-state", "plug-ins loaded together keep separate library-wide state",
         checkSeparateState},
    };
}

}  // namespace qnhost::validate
