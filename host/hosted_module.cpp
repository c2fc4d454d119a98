#include "hosted_module.h"

#include <algorithm>
#include <cstring>

#include "host_callback.h"
#include "plugin_library.h"

namespace qnhost {

namespace {

bool countsAsModulePin(const PinProperties& description) {
    return pinTakesSlot(description.flags) != 0;
}

}  // namespace

std::unique_ptr<HostedModule> HostedModule::create(MakeModuleEntry makeModule,
                                                   HostOptions options) {
    std::unique_ptr<HostedModule> host(new HostedModule(options));
    host->plugRecord =
        makeModule(0, QN_OBJECT_KIND_MODULE, &HostedModule::callbackEntry, host.get());
    if (host->plugRecord == nullptr) {
        return nullptr;
    }
    return host;
}

HostedModule::HostedModule(HostOptions hostOptions)
    : options(hostOptions), recording(hostOptions.record) {}

HostedModule::~HostedModule() {
    if (alive()) {
        close();
    }
}

intptr_t HostedModule::dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr,
                                float opt) {
    if (!alive()) {
        throw HostError("the instance was already closed");
    }
    return plugRecord->dispatcher(plugRecord, opcode, index, value, ptr, opt);
}

const std::vector<PinProperties>& HostedModule::describePins() {
    pinDescriptions.clear();
    for (int32_t index = 0;; ++index) {
        PinProperties description{};
        if (!getPinProperties(index, description)) {
            break;
        }
        pinDescriptions.push_back(description);
    }
    return pinDescriptions;
}

int32_t HostedModule::countModulePins() const {
    return static_cast<int32_t>(
        std::count_if(pinDescriptions.begin(), pinDescriptions.end(), countsAsModulePin));
}

void HostedModule::allocateBlocks() {
    slotCount = options.pinCount.value_or(countModulePins());
    const auto slots = static_cast<size_t>(std::max(slotCount, 0));
    blocks.assign(slots, std::vector<float>(static_cast<size_t>(options.blockCapacity), 0.0f));
    slotVariables.assign(slots, nullptr);
    // Slot N is the (N+1)-th description that counts as a module pin, as the module numbers it.
    size_t slot = 0;
    for (const PinProperties& description : pinDescriptions) {
        if (slot >= slots) {
            break;
        }
        if (!countsAsModulePin(description)) {
            continue;
        }
        if (description.variable != nullptr) {
            *static_cast<float**>(description.variable) = blocks[slot].data();
            slotVariables[slot] = reinterpret_cast<float*>(description.variable);
        }
        ++slot;
    }
}

void HostedModule::open() {
    describePins();
    allocateBlocks();
    dispatch(plugOpen);
}

intptr_t HostedModule::close() {
    const intptr_t result = dispatch(plugClose);
    plugRecord = nullptr;
    return result;
}

void HostedModule::setSampleRate(float rate) {
    dispatch(plugSetSampleRate, 0, 0, nullptr, rate);
}

void HostedModule::setBlockSize(int32_t size) {
    dispatch(plugSetBlockSize, 0, size);
}

bool HostedModule::getPinProperties(int32_t index, PinProperties& properties) {
    return dispatch(plugGetPinProperties, index, 0, &properties) != 0;
}

std::span<float> HostedModule::block(int32_t slot) {
    if (slot < 0 || static_cast<size_t>(slot) >= blocks.size()) {
        throw HostError("no pin slot " + std::to_string(slot));
    }
    return blocks[static_cast<size_t>(slot)];
}

void HostedModule::setPinBlock(int32_t slot, float* samples) {
    block(slot);  // range check
    auto* variable = reinterpret_cast<float**>(slotVariables[static_cast<size_t>(slot)]);
    if (variable == nullptr) {
        throw HostError("pin slot " + std::to_string(slot) + " has no module variable");
    }
    *variable = samples;
}

void HostedModule::process(int32_t bufferOffset, int32_t sampleCount) {
    if (!alive()) {
        throw HostError("the instance was already closed");
    }
    plugRecord->process(plugRecord->object, bufferOffset, sampleCount);
}

void HostedModule::sendEvent(const EventRecord& event) {
    if (!alive()) {
        throw HostError("the instance was already closed");
    }
    asleep = false;
    plugRecord->eventHandler(plugRecord->object, &event);
}

void HostedModule::sendPinStatus(int32_t slot, PlugState state) {
    EventRecord event{};
    event.timeStamp = sampleClock;
    event.type = eventPinStatus;
    event.value = state;
    event.extra = slot;
    sendEvent(event);
}

void HostedModule::deliverQueuedEvents() {
    std::vector<EventRecord> pending;
    pending.swap(eventQueue);
    for (const EventRecord& event : pending) {
        sendEvent(event);
    }
}

void HostedModule::advanceSampleClock(int32_t samples) noexcept {
    sampleClock =
        static_cast<int32_t>(static_cast<uint32_t>(sampleClock) + static_cast<uint32_t>(samples));
}

std::optional<PlugState> HostedModule::announcedState(int32_t slot) const {
    const auto found = announced.find(slot);
    if (found == announced.end()) {
        return std::nullopt;
    }
    return found->second;
}

intptr_t HostedModule::callbackEntry(PlugRecord* record, int32_t request, int32_t index,
                                     int32_t value, void* ptr, float opt) {
    if (record == nullptr || record->hostHandle == nullptr) {
        return 0;
    }
    auto* host = static_cast<HostedModule*>(record->hostHandle);
    try {
        return host->answer(Request{request, index, value, reinterpret_cast<intptr_t>(ptr), opt});
    } catch (...) {
        return 0;  // the host's own failures never unwind through module code
    }
}

intptr_t HostedModule::answer(const Request& request) {
    if (recording) {
        log.push_back(request);
    }
    if (respond) {
        if (const std::optional<intptr_t> custom = respond(request)) {
            return *custom;
        }
    }
    switch (request.code) {
        case hostPinStatus:
            announced[request.index] = request.value;
            return 0;
        case hostSampleClock:
            return static_cast<intptr_t>(static_cast<uint32_t>(sampleClock));
        case hostPinBuffer:
            if (request.index < 0 || static_cast<size_t>(request.index) >= blocks.size()) {
                return 0;
            }
            return reinterpret_cast<intptr_t>(blocks[static_cast<size_t>(request.index)].data());
        case hostPinBufferClock:
            return static_cast<intptr_t>(static_cast<uint32_t>(bufferClock));
        case hostSleep:
            ++sleepCount;
            asleep = true;
            return 0;
        case hostPinCount:
            return slotCount;
        case hostAddEvent:
            if (request.ptr != 0) {
                EventRecord copy;
                std::memcpy(&copy, reinterpret_cast<const void*>(request.ptr), sizeof copy);
                eventQueue.push_back(copy);
                return 1;
            }
            return 0;
        case hostProcessChanged:
            ++processChangeCount;
            return 0;
        default:
            return 0;  // hostPinQuery, hostPinSend and unknown codes
    }
}

}  // namespace qnhost
