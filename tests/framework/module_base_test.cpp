#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "test_module.h"

using qntest::Call;
using qntest::callLog;
using qntest::Fixture;
using qntest::request;

namespace {

TEST(ModuleBase, ConstructionFillsTheRecordAndAsksNothing) {
    Fixture f;
    const PlugRecord* record = f.host->record();
    unsigned char bytes[4];
    std::memcpy(bytes, &record->magic, 4);
    EXPECT_EQ(bytes[0], 0x4C);
    EXPECT_EQ(bytes[1], 0x50);
    EXPECT_EQ(bytes[2], 0x4E);
    EXPECT_EQ(bytes[3], 0x51);
    EXPECT_EQ(record->magic, 0x514E504C);
    EXPECT_EQ(record->version, 1);
    EXPECT_EQ(record->hostHandle, f.host.get());
    EXPECT_EQ(record->object, static_cast<QNModule_base*>(f.module));
    EXPECT_EQ(record->reserved16, 0);
    for (int32_t word : record->reserved32) {
        EXPECT_EQ(word, 0);
    }
    EXPECT_EQ(record->process, &emptyProcess);
    EXPECT_EQ(record->dispatcher, &dispatcherEntry);
    EXPECT_EQ(record->eventHandler, &eventEntry);
    EXPECT_EQ(std::bit_cast<uint32_t>(f.module->getSampleRate()), 0x472C4400u);
    EXPECT_EQ(f.module->getBlockSize(), 1024);
    const CallDescriptor current = f.module->getProcessFunction();
    EXPECT_EQ(current.entry, &emptyProcess);
    EXPECT_EQ(current.adjustment, 0);
    EXPECT_EQ(current.reservedA, 0);
    EXPECT_EQ(current.reservedB, 0);
    EXPECT_TRUE(f.host->requests().empty());
    EXPECT_EQ(f.module->getPinCount(), 0);
}

TEST(ModuleBase, OpcodesOutsideTheTableAnswerZeroAndCallNothing) {
    Fixture f;
    for (int32_t opcode : {4, 5, 7, 9, 10, 11, 14, 15, 100, -1, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(opcode);
        EXPECT_EQ(f.host->dispatch(opcode, 3, 4, nullptr, 1.5f), 0);
    }
    EXPECT_TRUE(callLog().empty());
    EXPECT_TRUE(f.host->requests().empty());
    EXPECT_EQ(f.module->getBlockSize(), 1024);
}

TEST(ModuleBase, SampleRateComesFromTheFloatAndBlockSizeFromValue) {
    Fixture f;
    EXPECT_EQ(f.host->dispatch(plugSetSampleRate, 7, 12345, nullptr, 48000.0f), 0);
    EXPECT_EQ(f.host->dispatch(plugSetBlockSize, 7, 256, nullptr, 99.0f), 0);
    EXPECT_EQ(f.module->getSampleRate(), 48000.0f);
    EXPECT_EQ(f.module->getBlockSize(), 256);
    EXPECT_EQ(callLog(), (std::vector<Call>{{"setSampleRate", {48000}}, {"setBlockSize", {256}}}));
}

TEST(ModuleBase, Command8PassesOnlyPositiveIndices) {
    struct Case {
        int32_t index;
        std::vector<Call> calls;
    };
    const Case cases[] = {
        {0, {{"onCommand8", {}}}},
        {-1, {{"onCommand8", {}}}},
        {INT32_MIN, {{"onCommand8", {}}}},
        {3, {{"onCommand8", {}}, {"onCommand8Index", {3}}}},
    };
    for (const Case& c : cases) {
        Fixture f;
        EXPECT_EQ(f.host->dispatch(plugCommand8, c.index), 0);
        EXPECT_EQ(callLog(), c.calls) << "index " << c.index;
    }
}

TEST(ModuleBase, Command12PassesValueIndexPtrInThatOrder) {
    Fixture f;
    int anchor = 0;
    EXPECT_EQ(f.host->dispatch(plugCommand12, 5, 9, &anchor, 2.0f), 0);
    EXPECT_EQ(callLog(),
              (std::vector<Call>{{"onCommand12", {9, 5, reinterpret_cast<intptr_t>(&anchor)}}}));
}

TEST(ModuleBase, PinPropertiesReachTheModuleUnclearedAndAnswerOneOrZero) {
    Fixture f;
    f.module->descriptions = {qntest::description(sampleStream)};
    PinProperties record;
    std::memset(&record, 0xA5, sizeof record);
    EXPECT_EQ(f.host->dispatch(plugGetPinProperties, 0, 0, &record), 1);
    ASSERT_EQ(f.module->seenRecords.size(), 1u);
    PinProperties pattern;
    std::memset(&pattern, 0xA5, sizeof pattern);
    EXPECT_EQ(std::memcmp(&f.module->seenRecords[0], &pattern, sizeof pattern), 0);
    EXPECT_EQ(record.reservedA, pattern.reservedA);  // not written by the module
    EXPECT_EQ(f.host->dispatch(plugGetPinProperties, 1, 0, &record), 0);
    EXPECT_EQ(f.host->dispatch(plugGetPinProperties, -1, 0, &record), 0);
    // A host that passes no record is refused instead of crashing the module.
    EXPECT_EQ(f.host->dispatch(plugGetPinProperties, 0, 0, nullptr), 0);
}

TEST(ModuleBase, ProcessInfoIsOneLibraryWideRecord) {
    Fixture a;
    Fixture b;
    const intptr_t fromA = a.host->dispatch(plugGetProcessInfo);
    const intptr_t fromB = b.host->dispatch(plugGetProcessInfo);
    ASSERT_NE(fromA, 0);
    EXPECT_EQ(fromA, fromB);
    const auto* info = reinterpret_cast<const ProcessInfo*>(fromB);
    EXPECT_EQ(info->structVersion, 1);
    EXPECT_EQ(info->descriptorSize, 16);
    EXPECT_EQ(info->reserved, 0);
    ASSERT_NE(info->processFunction, nullptr);
    EXPECT_EQ(info->processFunction->entry, b.module->getProcessFunction().entry);
    // The third word names B's own descriptor: installing a function in B shows there.
    const CallDescriptor run = qn::processFunction<qntest::TestModule, &qntest::TestModule::run>();
    b.module->setProcessFunction(run);
    EXPECT_EQ(info->processFunction->entry, run.entry);
    EXPECT_NE(a.module->getProcessFunction().entry, run.entry);
}

void QN_CDECL otherProcess(void*, int32_t, int32_t) {}

TEST(ModuleBase, SetProcessFunctionTellsTheHostOnlyAboutRealChanges) {
    Fixture f;
    PlugProcessEntry processSeenByHost = nullptr;
    f.host->setResponder([&](const qnhost::Request& r) -> std::optional<intptr_t> {
        if (r.code == hostProcessChanged) {
            processSeenByHost = f.host->record()->process;
        }
        return std::nullopt;
    });

    f.module->setProcessFunction(CallDescriptor{&emptyProcess, 0, 0, 0});
    EXPECT_TRUE(f.host->requests().empty()) << "equal descriptor: nothing sent";

    f.module->setProcessFunction(CallDescriptor{&emptyProcess, 0, 0, 1});
    EXPECT_EQ(f.host->requests(), std::vector<qnhost::Request>{request(hostProcessChanged)});
    EXPECT_EQ(f.module->getProcessFunction().reservedB, 1);

    f.module->setProcessFunction(CallDescriptor{&otherProcess, 0, 0, 0});
    EXPECT_EQ(f.host->requests().size(), 2u);
    EXPECT_EQ(processSeenByHost, &otherProcess) << "the record changes before the host is told";
    EXPECT_EQ(f.host->record()->process, &otherProcess);
}

TEST(ModuleBase, DescriptorEquality) {
    struct Case {
        CallDescriptor a, b;
        bool equal;
    };
    const Case cases[] = {
        {{&otherProcess, 0, 0, 0}, {&otherProcess, 0, 0, 0}, true},
        {{&otherProcess, 0, 0, 0}, {&emptyProcess, 0, 0, 0}, false},
        {{&otherProcess, 1, 0, 0}, {&otherProcess, 0, 0, 0}, false},
        {{&otherProcess, 0, 1, 0}, {&otherProcess, 0, 0, 0}, false},
        {{&otherProcess, 0, 0, -1}, {&otherProcess, 0, 0, 0}, false},
        {{nullptr, 0, 0, -1}, {nullptr, 5, 6, 7}, true},
        {{nullptr, 0, 0, 0}, {&otherProcess, 0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(qn::sameCall(c.a, c.b), c.equal);
        EXPECT_EQ(qn::sameCall(c.b, c.a), c.equal);
    }
}

TEST(ModuleBase, CloseRunsCloseThenTheDestructorAndAnswersOne) {
    Fixture f;  // never opened: no pins to release
    EXPECT_EQ(f.host->close(), 1);
    EXPECT_EQ(callLog(), (std::vector<Call>{{"close", {}}, {"destructor", {}}}));
}

TEST(ModuleBase, WithoutACallbackEveryRequestAnswersZero) {
    PlugRecord* record = qntest::makeTestModule(0, 1, nullptr, reinterpret_cast<void*>(0x1234));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->hostHandle, reinterpret_cast<void*>(0x1234));
    auto* module = static_cast<qntest::TestModule*>(QNModule_base::fromObject(record->object));
    EXPECT_EQ(module->getSampleClock(), 0);
    EXPECT_EQ(module->callHost(hostPinCount), 0);
    EXPECT_EQ(module->addEvent(1, eventType2, 2, 3, 4), 0);
    record->dispatcher(record, plugOpen, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(module->getPinCount(), 0);
    EXPECT_EQ(record->dispatcher(record, plugClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(ModuleBase, CallHostPassesTheRecordAndArgumentsAndReturnsTheAnswer) {
    Fixture f;
    f.host->setResponder([](const qnhost::Request&) { return std::optional<intptr_t>(-77); });
    int anchor = 0;
    EXPECT_EQ(f.module->callHost(42, 1, 2, &anchor, 3.5f), -77);
    EXPECT_EQ(f.host->requests(), std::vector<qnhost::Request>{request(
                                      42, 1, 2, reinterpret_cast<intptr_t>(&anchor), 3.5f)});
}

TEST(ModuleBase, SampleClockIsTheLowThirtyTwoBits) {
    Fixture f;
    f.host->setSampleClock(-5);
    EXPECT_EQ(f.module->getSampleClock(), -5);
    f.host->setSampleClock(INT32_MAX);
    f.host->advanceSampleClock(1);
    EXPECT_EQ(f.module->getSampleClock(), INT32_MIN);
}

// A module whose operations throw: nothing may unwind into the host.
class ThrowingModule : public QNModule_base {
  public:
    using QNModule_base::QNModule_base;
    void open() override { throw std::runtime_error("open failed"); }
    void handleEventType2(int32_t, int32_t, int16_t) override { throw 1; }
};

QN_CDECL PlugRecord* makeThrowingModule(int32_t, int32_t, HostCallback callback, void* handle) {
    return (new ThrowingModule(callback, handle))->getPlugRecord();
}

TEST(ModuleBase, ExceptionsStopAtTheCEntries) {
    auto host = qnhost::HostedModule::create(&makeThrowingModule);
    PlugRecord* record = host->record();
    EXPECT_EQ(record->dispatcher(record, plugOpen, 0, 0, nullptr, 0.0f), 0);
    EventRecord event{};
    event.type = eventType2;
    EXPECT_NO_THROW(record->eventHandler(record->object, &event));
}

}  // namespace
