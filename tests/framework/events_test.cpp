#include <gtest/gtest.h>

#include <cstring>

#include "test_module.h"

using qntest::Call;
using qntest::callLog;
using qntest::description;
using qntest::Fixture;

namespace {

// A fixture whose module is opened with three stream pins.
struct OpenedFixture : Fixture {
    OpenedFixture() {
        for (int i = 0; i < 3; ++i) {
            module->descriptions.push_back(description(sampleStream, &module->variables[i]));
        }
        host->open();
        callLog().clear();
        host->clearRequests();
    }
};

EventRecord event(int32_t type, int32_t value, intptr_t extra, int32_t timeStamp = 0,
                  int32_t shortValue = 0) {
    return EventRecord{timeStamp, type, value, shortValue, extra, 0};
}

TEST(Events, PinStatusSetsThePinAndTellsTheModuleOnce) {
    OpenedFixture f;
    f.host->sendEvent(event(eventPinStatus, streaming, 2));
    EXPECT_EQ(callLog(), (std::vector<Call>{{"onPlugStateChange", {2, streaming}}}));
    EXPECT_EQ(f.module->getPin(2).getStatus(), streaming);

    callLog().clear();
    f.host->sendEvent(event(eventPinStatus, oneShot, 1));
    EXPECT_EQ(callLog(), (std::vector<Call>{{"onPlugStateChange", {1, oneShot}}}));
    EXPECT_EQ(f.module->getPin(1).getStatus(), idle);
}

TEST(Events, StatusForSlotsTheInstanceLacksIsIgnored) {
    OpenedFixture f;
    for (intptr_t slot : {intptr_t{3}, intptr_t{-1}, intptr_t{1000000}, intptr_t{INT32_MIN}}) {
        f.host->sendEvent(event(eventPinStatus, streaming, slot));
    }
    EXPECT_TRUE(callLog().empty());

    Fixture unopened;  // no pins yet
    unopened.host->sendEvent(event(eventPinStatus, streaming, 0));
    EXPECT_TRUE(callLog().empty());
}

TEST(Events, StatusForAnUnboundSlotIsIgnored) {
    Fixture f;
    f.host->setResponder([](const qnhost::Request& r) -> std::optional<intptr_t> {
        if (r.code == hostPinCount) {
            return 2;
        }
        return std::nullopt;
    });
    f.module->descriptions = {description(sampleStream, &f.module->variables[0])};
    f.host->dispatch(plugOpen);
    callLog().clear();
    f.host->sendEvent(event(eventPinStatus, streaming, 1));
    EXPECT_TRUE(callLog().empty());
}

TEST(Events, Type2PassesTheLowSixteenBitsOnly) {
    OpenedFixture f;
    f.host->sendEvent(event(eventType2, -9, 0, 777, 0x7ABC8001));
    EXPECT_EQ(callLog(),
              (std::vector<Call>{{"handleEventType2", {777, -9, static_cast<int16_t>(0x8001)}}}));
}

TEST(Events, OtherTypesChangeNothing) {
    OpenedFixture f;
    for (int32_t type : {1, 3, 20, 22, -1}) {
        f.host->sendEvent(event(type, streaming, 1));
    }
    EXPECT_TRUE(callLog().empty());
    EXPECT_TRUE(f.host->requests().empty());
    EXPECT_EQ(f.module->getPin(1).getStatus(), idle);
}

TEST(Events, AddEventSendsTheRecordAndReturnsTheAnswer) {
    Fixture f;
    EventRecord seen{};
    f.host->setResponder([&](const qnhost::Request& r) -> std::optional<intptr_t> {
        std::memcpy(&seen, reinterpret_cast<const void*>(r.ptr), sizeof seen);
        return 31;
    });
    EXPECT_EQ(f.module->addEvent(1000, 2, 7, 9, 0), 31);
    ASSERT_EQ(f.host->requests().size(), 1u);
    const qnhost::Request& r = f.host->requests()[0];
    EXPECT_EQ(r.code, hostAddEvent);
    EXPECT_EQ(r.index, 0);
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(r.opt, 0.0f);
    // Byte for byte, padding included: nothing but the fields and zeros reaches the host.
    EventRecord expected;
    std::memset(&expected, 0, sizeof expected);
    expected.timeStamp = 1000;
    expected.type = 2;
    expected.value = 7;
    expected.shortValue = 9;
    EXPECT_EQ(std::memcmp(&seen, &expected, sizeof seen), 0);
}

TEST(Events, ScheduledCallComesBackAndRunsOnTheModule) {
    OpenedFixture f;
    const CallDescriptor call =
        qn::scheduledCall<qntest::TestModule, &qntest::TestModule::scheduledOperation>();
    EXPECT_EQ(call.adjustment, 0);
    EXPECT_EQ(call.reservedB, -1);
    EXPECT_EQ(f.module->scheduleCall(4321, call), 1);
    ASSERT_EQ(f.host->queuedEvents().size(), 1u);
    const EventRecord& queued = f.host->queuedEvents()[0];
    EXPECT_EQ(queued.timeStamp, 4321);
    EXPECT_EQ(queued.type, eventCall);
    EXPECT_EQ(queued.value, 0);
    EXPECT_EQ(queued.shortValue, 0);
    EXPECT_EQ(queued.extra, reinterpret_cast<intptr_t>(call.entry));
    EXPECT_EQ(queued.reserved, 0);
    EXPECT_TRUE(callLog().empty()) << "queued, not run";
    f.host->deliverQueuedEvents();
    EXPECT_EQ(callLog(), (std::vector<Call>{{"scheduledOperation", {}}}));
}

TEST(Events, CallEventWithoutEntryIsIgnored) {
    OpenedFixture f;
    f.host->sendEvent(event(eventCall, 0, 0));
    EXPECT_TRUE(callLog().empty());
}

}  // namespace
