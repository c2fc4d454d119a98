// A host session against one of the three shaper modules, driven by the fuzzer's bytes:
// dispatcher opcodes with any arguments, status events for any pin index and state, events of
// other types, block sizes, sample rates, clocks, and process runs at any offset and length
// inside host-owned blocks with canaries around them. plugClose comes only at the end.
//
// Checked after every step, besides the sanitizers: the state announced on the output is the
// largest state of the input pins; a process run writes only the output samples of its own
// run; hostSleep comes exactly in the runs where the countdown from the block size reaches 0
// or less; the process entry changes exactly when hostProcessChanged says so; opcodes answer
// as their table says; and plugClose answers 1 and requests nothing.
//
// Input: variant (1 byte), pin count choice (1), block capacity (2), then operations.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "QNModule_base.h"
#include "fuzz_input.h"
#include "host_callback.h"
#include "hosted_module.h"
#include "one_breakpoint/module.h"
#include "three_breakpoint/module.h"
#include "two_breakpoint/module.h"

namespace {

using qnfuzz::check;
using qnfuzz::Input;
using qnhost::HostedModule;
using qnhost::Request;

// What makeModule does in each plug-in, for a module linked into this program.
template <class Module>
PlugRecord* QN_CDECL makeShaper(int32_t index, int32_t objectKind, HostCallback callback,
                                void* hostHandle) {
    if (index != 0 || objectKind != QN_OBJECT_KIND_MODULE) {
        return nullptr;
    }
    return (new Module(callback, hostHandle))->getPlugRecord();
}

constexpr size_t kGuard = 16;
constexpr uint32_t kGuardBits = 0xFFBADBADu;  // a NaN pattern no curve produces by chance

enum class Kind { empty, plain, thenSleep };

template <class Module>
class Session {
  public:
    static constexpr int32_t kPins = static_cast<int32_t>(Module::pinTable().size());
    static constexpr int32_t kOutput = kPins - 1;

    explicit Session(Input& in) : input(in) {
        const uint8_t countChoice = input.u8();
        capacity = 1 + input.u16() % 1024;
        qnhost::HostOptions options;
        options.blockCapacity = capacity;
        options.record = true;
        switch (countChoice % 6) {
            case 3:
                options.pinCount = kPins + 2;
                break;  // slots beyond the table stay unbound
            case 4:
                options.pinCount = kPins - 1;
                break;  // the output left out
            case 5:
                options.pinCount = 0;
                break;
            default:
                break;  // as many as the table describes
        }
        host = HostedModule::create(&makeShaper<Module>, options);
        check(host != nullptr, "makeModule refused index 0, kind 1");
        entries[static_cast<int>(Kind::empty)] = host->record()->process;
        arenas.assign(static_cast<size_t>(kPins),
                      std::vector<float>(static_cast<size_t>(capacity) + 2 * kGuard));
        for (auto& arena : arenas) {
            fillGuards(arena);
        }
        scratch.fill(0);
    }

    void run() {
        while (!input.empty()) {
            switch (input.u8() % 10) {
                case 0:
                    openStep();
                    break;
                case 1:
                    statusEvent();
                    break;
                case 2:
                    processRun();
                    break;
                case 3:
                    blockSizeStep();
                    break;
                case 4:
                    anyDispatch(plugSetSampleRate, 0, 0, input.f32(), 0);
                    break;
                case 5:
                    otherEvent();
                    break;
                case 6:
                    anyDispatchStep();
                    break;
                case 7:
                    host->setSampleClock(input.i32());
                    break;
                case 8:
                    writeInputs();
                    break;
                default:
                    processInfoStep();
                    break;
            }
        }
        host->clearRequests();
        const intptr_t answer = host->close();
        check(answer == 1, "plugClose answers 1", answer);
        check(host->requests().empty(), "nothing requested during or after plugClose",
              static_cast<long long>(host->requests().size()));
    }

  private:
    static void fillGuards(std::vector<float>& arena) {
        for (size_t i = 0; i < arena.size(); ++i) {
            std::memcpy(&arena[i], &kGuardBits, sizeof kGuardBits);
        }
    }

    // The model is exact only while every pin of the table is bound, as the module relies on.
    bool modelled() const noexcept { return boundCount == kPins; }

    void checkEntry() {
        if (!modelled()) {
            return;
        }
        PlugProcessEntry& expected = entries[static_cast<int>(kind)];
        if (expected == nullptr) {
            // First time in this state: learn its entry; it must differ from the others'.
            for (PlugProcessEntry other : entries) {
                check(other != host->record()->process, "a new process function has its own entry");
            }
            expected = host->record()->process;
        }
        check(host->record()->process == expected, "process entry matches the state");
    }

    void becomes(Kind next, int32_t changesBefore) {
        const int32_t changes = host->processChanges() - changesBefore;
        if (modelled()) {
            check(changes == (next != kind ? 1 : 0), "hostProcessChanged exactly on a change",
                  changes, next != kind);
        }
        kind = next;
        checkEntry();
    }

    // plugOpen, through the host's own open the first time (descriptions, blocks) and as a
    // bare opcode afterwards: the pins are built afresh, all idle, and the plain process runs.
    void openStep() {
        const int32_t changesBefore = host->processChanges();
        if (!hostOpened) {
            host->open();
            hostOpened = true;
            const int32_t slots = std::min(std::max(host->pinCount(), 0), kPins);
            for (int32_t slot = 0; slot < slots; ++slot) {
                host->setPinBlock(slot, arenas[static_cast<size_t>(slot)].data() + kGuard);
            }
        } else {
            check(host->dispatch(plugOpen) == 0, "plugOpen answers 0");
        }
        boundCount = std::min(std::max(host->pinCount(), 0), kPins);
        states.fill(idle);
        becomes(Kind::plain, changesBefore);
    }

    void statusEvent() {
        EventRecord event{};
        event.timeStamp = input.i32();
        event.type = eventPinStatus;
        event.extra = input.smallOrAny(-1, kPins + 1);
        event.value = input.smallOrAny(-1, 3);
        deliver(event);
    }

    void otherEvent() {
        EventRecord event{};
        event.type = input.i32();
        // Status events have their own step; eventCall entries are trusted to be the module's.
        if (event.type == eventPinStatus || event.type == eventCall) {
            event.type = eventType2;
        }
        event.timeStamp = input.i32();
        event.value = input.i32();
        event.shortValue = input.i32();
        event.extra = input.i32();
        event.reserved = input.i32();
        const PlugProcessEntry before = host->record()->process;
        host->clearRequests();
        host->sendEvent(event);
        check(host->requests().empty(), "other event types request nothing");
        check(host->record()->process == before, "other event types change nothing");
    }

    void deliver(const EventRecord& event) {
        const int32_t changesBefore = host->processChanges();
        const int32_t clock = host->getSampleClock();
        host->clearRequests();
        host->sendEvent(event);
        const bool reaches = event.extra >= 0 && event.extra < boundCount;
        std::vector<Request> announcements;
        for (const Request& r : host->requests()) {
            check(r.code == hostSampleClock || r.code == hostPinStatus ||
                      r.code == hostProcessChanged,
                  "a status event requests only clock, pin status and process change", r.code);
            if (r.code == hostPinStatus) {
                announcements.push_back(r);
            }
        }
        if (!reaches) {
            check(host->requests().empty(), "a status event for no bound slot is ignored");
            return;
        }
        const auto slot = static_cast<size_t>(event.extra);
        states[slot] = event.value;
        if (modelled()) {
            PlugState combined = std::numeric_limits<PlugState>::min();
            for (int32_t pin = 0; pin < kOutput; ++pin) {
                combined = std::max(combined, states[static_cast<size_t>(pin)]);
            }
            check(announcements.size() == 1, "one announcement per status event",
                  static_cast<long long>(announcements.size()));
            const Request& said = announcements.front();
            check(said.index == kOutput, "announced on the output pin", said.index);
            check(said.value == combined, "announced state is the largest input state", said.value,
                  combined);
            check(static_cast<uint32_t>(said.ptr) == static_cast<uint32_t>(clock),
                  "announced at the current clock", said.ptr, clock);
            check(host->announcedState(kOutput) == std::optional<PlugState>(combined),
                  "host saw the announcement");
            if (combined >= streaming) {
                becomes(Kind::plain, changesBefore);
            } else {
                countdown = blockSize;
                countdownKnown = true;
                becomes(Kind::thenSleep, changesBefore);
            }
        }
        // oneShot lasts only while the module is told of it.
        if (states[slot] == oneShot) {
            states[slot] = idle;
        }
    }

    void processRun() {
        const int32_t offset = input.u16() % (capacity + 1);
        const uint8_t lengthChoice = input.u8();
        const uint16_t raw = input.u16();
        int32_t length;
        if (lengthChoice % 8 == 0) {
            length = -static_cast<int32_t>(raw % 300);  // nothing to write, countdown grows
        } else {
            length = raw % (capacity - offset + 1);
        }
        const std::vector<std::vector<float>> before = arenas;
        const int32_t sleepsBefore = host->sleepRequests();
        host->clearRequests();
        host->process(offset, length);

        for (int32_t slot = 0; slot < kPins; ++slot) {
            const auto& now = arenas[static_cast<size_t>(slot)];
            const auto& was = before[static_cast<size_t>(slot)];
            for (size_t i = 0; i < now.size(); ++i) {
                const bool inRun =
                    slot == kOutput && length > 0 && i >= kGuard + static_cast<size_t>(offset) &&
                    i < kGuard + static_cast<size_t>(offset) + static_cast<size_t>(length);
                if (!inRun) {
                    check(std::memcmp(&now[i], &was[i], sizeof(float)) == 0,
                          "process writes only the output samples of its run", slot,
                          static_cast<long long>(i) - static_cast<long long>(kGuard));
                }
            }
        }
        for (const Request& r : host->requests()) {
            check(r == Request{hostSleep, 0, 0, 0, 0.0f}, "a process run requests only hostSleep",
                  r.code);
        }
        const int32_t sleeps = host->sleepRequests() - sleepsBefore;
        if (!modelled()) {
            return;
        }
        if (kind != Kind::thenSleep) {
            check(sleeps == 0, "no hostSleep while running plainly", sleeps);
            return;
        }
        countdown -= length;
        if (countdown < std::numeric_limits<int32_t>::min() ||
            countdown > std::numeric_limits<int32_t>::max()) {
            countdownKnown = false;  // beyond a 32-bit countdown: left open by the definitions
        }
        if (countdownKnown) {
            check(sleeps == (countdown <= 0 ? 1 : 0),
                  "hostSleep exactly when the countdown runs out", sleeps, countdown);
        }
    }

    void blockSizeStep() {
        static constexpr std::array<int32_t, 8> kSizes{0, 1, 2, 64, 100, 256, 1024, 4096};
        const uint8_t choice = input.u8();
        const int32_t size = (choice & 0x80) != 0 ? input.i32() : kSizes[choice % kSizes.size()];
        anyDispatch(plugSetBlockSize, 0, size, 0.0f, 0);
    }

    void anyDispatchStep() {
        auto opcode = static_cast<int32_t>(input.smallOrAny(0, 15));
        if (opcode == plugClose) {
            opcode = plugGetProcessInfo;  // plugClose only ends the session
        }
        const int32_t index = input.smallOrAny(-1, 8);
        const int32_t value = input.i32();
        const float opt = input.f32();
        anyDispatch(opcode, index, value, opt, input.u8());
    }

    void processInfoStep() { anyDispatch(plugGetProcessInfo, 0, 0, 0.0f, 0); }

    void anyDispatch(int32_t opcode, int32_t index, int32_t value, float opt, uint8_t pattern) {
        if (opcode == plugOpen) {
            openStep();
            return;
        }
        PinProperties properties;
        std::memset(&properties, pattern, sizeof properties);
        const PinProperties untouched = properties;
        void* ptr = opcode == plugGetPinProperties ? static_cast<void*>(&properties)
                                                   : static_cast<void*>(scratch.data());
        const PlugProcessEntry entryBefore = host->record()->process;
        host->clearRequests();
        const intptr_t answer = host->dispatch(opcode, index, value, ptr, opt);
        check(host->requests().empty(), "only plugOpen of the commands makes requests", opcode);
        check(host->record()->process == entryBefore, "commands leave the process entry", opcode);
        switch (static_cast<uint32_t>(opcode)) {
            case plugSetBlockSize:
                blockSize = value;
                check(answer == 0, "plugSetBlockSize answers 0", answer);
                break;
            case plugGetPinProperties: {
                const bool described = static_cast<uint32_t>(index) < static_cast<uint32_t>(kPins);
                check(answer == (described ? 1 : 0), "pin properties answer", answer, index);
                if (!described) {
                    check(std::memcmp(&properties, &untouched, sizeof properties) == 0,
                          "a refused description writes nothing", index);
                } else {
                    check(properties.datatype == sampleStream, "shaper pins carry samples");
                    check(properties.direction == (index == kOutput ? pinOutput : pinInput),
                          "only the last pin is an output", index);
                }
                break;
            }
            case plugGetProcessInfo: {
                check(answer != 0, "plugGetProcessInfo answers an address");
                const auto* info = reinterpret_cast<const ProcessInfo*>(answer);
                check(info->structVersion == 1 && info->reserved == 0, "ProcessInfo words");
                check(info->descriptorSize == 16,
                      "ProcessInfo descriptor size", info->descriptorSize);
                check(info->processFunction != nullptr &&
                          info->processFunction->entry == host->record()->process,
                      "ProcessInfo names this instance's current process function");
                break;
            }
            default:
                check(answer == 0, "every other opcode answers 0", opcode, answer);
                break;
        }
        check(std::all_of(scratch.begin(), scratch.end(), [](uint8_t b) { return b == 0; }),
              "commands leave memory behind ptr alone", opcode);
    }

    void writeInputs() {
        const auto slot = static_cast<size_t>(input.u8() % kPins);
        const int32_t start = input.u16() % capacity;
        const int32_t count = std::min<int32_t>(input.u8(), capacity - start);
        for (int32_t i = 0; i < count; ++i) {
            arenas[slot][kGuard + static_cast<size_t>(start + i)] = input.f32();
        }
    }

    Input& input;
    int32_t capacity = 1;
    std::unique_ptr<HostedModule> host;
    std::vector<std::vector<float>> arenas;  // guard, capacity samples, guard; one per slot
    std::array<uint8_t, 64> scratch{};
    bool hostOpened = false;
    int32_t boundCount = 0;
    std::array<PlugState, static_cast<size_t>(kPins)> states{};
    Kind kind = Kind::empty;
    std::array<PlugProcessEntry, 3> entries{};
    int32_t blockSize = 1024;
    int64_t countdown = 0;
    bool countdownKnown = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    switch (input.u8() % 3) {
        case 0:
            Session<dk::one_breakpoint::Module>(input).run();
            break;
        case 1:
            Session<dk::two_breakpoint::Module>(input).run();
            break;
        default:
            Session<dk::three_breakpoint::Module>(input).run();
            break;
    }
    return 0;
}
