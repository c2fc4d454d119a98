// The host side of one module instance: creates it through makeModule, answers every request
// it makes, owns the sample blocks of its pins and the sample clock, delivers events and calls
// whatever process entry the record holds at the time of the call.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "module_properties.h"
#include "pin_properties.h"
#include "plug_record.h"

namespace qnhost {

// One request as the module sent it.
struct Request {
    int32_t code = 0;
    int32_t index = 0;
    int32_t value = 0;
    intptr_t ptr = 0;
    float opt = 0.0f;
    friend bool operator==(const Request&, const Request&) = default;
};

struct HostOptions {
    // Samples in each pin block; process runs must stay inside it.
    int32_t blockCapacity = 4096;
    // The answer to hostPinCount; by default the number of pins the module describes.
    std::optional<int32_t> pinCount;
    // Keep every request in requests().
    bool record = false;
};

class HostedModule {
  public:
    // A custom answer for a request; std::nullopt leaves it to the host's own answer.
    using Responder = std::function<std::optional<intptr_t>(const Request&)>;

    // Creates an instance with makeModule(0, 1, callback, host); null when makeModule refuses.
    static std::unique_ptr<HostedModule> create(MakeModuleEntry makeModule,
                                                HostOptions options = {});
    // Sends plugClose if the instance is still alive.
    ~HostedModule();
    HostedModule(const HostedModule&) = delete;
    HostedModule& operator=(const HostedModule&) = delete;

    PlugRecord* record() const noexcept { return plugRecord; }
    bool alive() const noexcept { return plugRecord != nullptr; }

    // Dispatcher commands.
    intptr_t dispatch(int32_t opcode, int32_t index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    // Reads the descriptions, gives every pin a block, then sends plugOpen.
    void open();
    // plugClose; the instance is gone afterwards. Answers the module's answer.
    intptr_t close();
    void setSampleRate(float rate);
    void setBlockSize(int32_t size);
    // plugGetPinProperties into a record the caller filled; true when the module described it.
    bool getPinProperties(int32_t index, PinProperties& properties);
    // The descriptions read by open (or describePins), in description order.
    const std::vector<PinProperties>& descriptions() const noexcept { return pinDescriptions; }
    // Reads every description (index 0, 1, ... until refused).
    const std::vector<PinProperties>& describePins();
    // Number of pin slots the host holds: its hostPinCount answer.
    int32_t pinCount() const noexcept { return slotCount; }

    // The host's block of pin slot `slot`.
    std::span<float> block(int32_t slot);
    // Points the module variable of `slot` at caller-owned memory (aliasing, canaries).
    void setPinBlock(int32_t slot, float* samples);

    // Calls the record's current process entry with the record's object.
    void process(int32_t bufferOffset, int32_t sampleCount);
    // Delivers one event through the record's event entry; wakes a sleeping module.
    void sendEvent(const EventRecord& event);
    void sendPinStatus(int32_t slot, PlugState state);
    // Delivers the events the module queued with hostAddEvent, in order, and forgets them.
    void deliverQueuedEvents();
    const std::vector<EventRecord>& queuedEvents() const noexcept { return eventQueue; }

    // The host's clocks.
    void setSampleClock(int32_t clock) noexcept { sampleClock = clock; }
    int32_t getSampleClock() const noexcept { return sampleClock; }
    void advanceSampleClock(int32_t samples) noexcept;
    // The clock answered for element 0 of every block (hostPinBufferClock).
    void setBufferClock(int32_t clock) noexcept { bufferClock = clock; }

    // What the module told the host.
    std::optional<PlugState> announcedState(int32_t slot) const;
    int32_t sleepRequests() const noexcept { return sleepCount; }
    bool sleeping() const noexcept { return asleep; }
    int32_t processChanges() const noexcept { return processChangeCount; }

    // The request log (HostOptions::record).
    void setRecording(bool on) { recording = on; }
    void reserveRequests(size_t count) { log.reserve(count); }
    const std::vector<Request>& requests() const noexcept { return log; }
    void clearRequests() noexcept { log.clear(); }
    void setResponder(Responder responder) { respond = std::move(responder); }

  private:
    explicit HostedModule(HostOptions options);
    static QN_ENTRY_ALIGN intptr_t QN_CDECL callbackEntry(PlugRecord* record, int32_t request,
                                                          int32_t index, int32_t value, void* ptr,
                                                          float opt);
    intptr_t answer(const Request& request);
    void allocateBlocks();
    int32_t countModulePins() const;

    HostOptions options;
    PlugRecord* plugRecord = nullptr;
    std::vector<PinProperties> pinDescriptions;
    int32_t slotCount = 0;
    std::vector<std::vector<float>> blocks;  // one per slot
    std::vector<float*> slotVariables;       // the module variable bound to each slot, if any
    int32_t sampleClock = 0;
    int32_t bufferClock = 0;
    std::map<int32_t, PlugState> announced;
    std::vector<EventRecord> eventQueue;
    int32_t sleepCount = 0;
    bool asleep = false;
    int32_t processChangeCount = 0;
    bool recording = false;
    std::vector<Request> log;
    Responder respond;
};

}  // namespace qnhost
