#include <gtest/gtest.h>

#include <cstring>

#include "test_module.h"

using qntest::Call;
using qntest::callLog;
using qntest::description;
using qntest::Fixture;
using qntest::request;

namespace {

constexpr intptr_t fakeBlockAddress(int32_t slot) {
    return 0x10000 + 0x100 * slot;
}

// Answers hostPinCount with `count` and hostPinBuffer with a distinct address per slot.
void answerPins(Fixture& f, int32_t count) {
    f.host->setResponder([count](const qnhost::Request& r) -> std::optional<intptr_t> {
        if (r.code == hostPinCount) {
            return count;
        }
        if (r.code == hostPinBuffer) {
            return fakeBlockAddress(r.index);
        }
        return std::nullopt;
    });
}

constexpr int kOwnStorage = -2;
constexpr int kUnbound = -3;

struct DescriptionSpec {
    int32_t datatype;
    uint32_t flags;
};

struct OpenCase {
    const char* name;
    std::vector<DescriptionSpec> descriptions;
    int32_t hostCount;
    std::vector<int32_t> fetched;
    // Per slot: the description whose variable the pin uses, kOwnStorage or kUnbound.
    std::vector<int> slots;
};

TEST(Pins, OpenBuildsSlotsFromDescriptionsAndFlags) {
    const DescriptionSpec plain{sampleStream, 0};
    const DescriptionSpec repeat{sampleStream, pinRepeatLast};
    const DescriptionSpec notIn{sampleStream, pinNotInModule};
    const DescriptionSpec alsoIn{sampleStream, pinNotInModule | pinAlsoInModule};
    const DescriptionSpec notInRepeat{sampleStream, pinNotInModule | pinRepeatLast};
    const OpenCase cases[] = {
        {"five of five",
         {plain, plain, plain, plain, plain},
         5,
         {0, 1, 2, 3, 4, 5, 4},
         {0, 1, 2, 3, 4}},
        {"host counts three", {plain, plain, plain, plain, plain}, 3, {0, 1, 2, 3, 2}, {0, 1, 2}},
        {"repeat last fills leftovers",
         {plain, plain, plain, plain, repeat},
         7,
         {0, 1, 2, 3, 4, 5, 4},
         {0, 1, 2, 3, 4, kOwnStorage, kOwnStorage}},
        {"no repeat leaves leftovers unbound",
         {plain, plain, plain, plain, plain},
         7,
         {0, 1, 2, 3, 4, 5, 4},
         {0, 1, 2, 3, 4, kUnbound, kUnbound}},
        {"not in module uses no slot",
         {plain, notIn, plain, plain, plain},
         4,
         {0, 1, 2, 3, 4, 5, 4},
         {0, 2, 3, 4}},
        {"also in module cancels it",
         {plain, alsoIn, plain, plain, plain},
         5,
         {0, 1, 2, 3, 4, 5, 4},
         {0, 1, 2, 3, 4}},
        {"last not in module stops repeat",
         {plain, plain, plain, plain, notInRepeat},
         7,
         {0, 1, 2, 3, 4, 5, 4},
         {0, 1, 2, 3, kUnbound, kUnbound, kUnbound}},
        {"host counts none", {plain, plain}, 0, {0, -1}, {}},
        {"module describes none", {}, 4, {0, -1}, {kUnbound, kUnbound, kUnbound, kUnbound}},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        answerPins(f, c.hostCount);
        for (size_t i = 0; i < c.descriptions.size(); ++i) {
            f.module->descriptions.push_back(description(
                c.descriptions[i].datatype, &f.module->variables[i], c.descriptions[i].flags));
        }
        f.host->dispatch(plugOpen);
        EXPECT_EQ(f.module->fetched, c.fetched);
        // open clears the record before every fetch
        for (const PinProperties& seen : f.module->seenRecords) {
            EXPECT_EQ(seen.flags, 0u);
            EXPECT_EQ(seen.variable, nullptr);
        }
        ASSERT_EQ(f.module->getPinCount(), static_cast<int32_t>(c.slots.size()));
        for (size_t slot = 0; slot < c.slots.size(); ++slot) {
            SCOPED_TRACE(slot);
            QNPin& pin = f.module->getPin(static_cast<int32_t>(slot));
            const int expected = c.slots[slot];
            EXPECT_EQ(pin.getStatus(), idle);
            if (expected == kUnbound) {
                EXPECT_FALSE(pin.isBound());
                EXPECT_EQ(pin.getVariable(), nullptr);
                continue;
            }
            EXPECT_TRUE(pin.isBound());
            EXPECT_EQ(pin.getModule(), f.module);
            EXPECT_EQ(pin.getIndex(), static_cast<int32_t>(slot));
            EXPECT_EQ(pin.getDatatype(), sampleStream);
            if (expected == kOwnStorage) {
                EXPECT_EQ(pin.getVariable(), pin.getStorage());
                intptr_t stored;
                std::memcpy(&stored, pin.getStorage(), sizeof stored);
                EXPECT_EQ(stored, fakeBlockAddress(static_cast<int32_t>(slot)));
            } else {
                EXPECT_EQ(pin.getVariable(), &f.module->variables[expected]);
            }
        }
        // Only repeated pins, which have no module variable, ask for their blocks.
        std::vector<qnhost::Request> bufferRequests;
        for (const qnhost::Request& r : f.host->requests()) {
            if (r.code == hostPinBuffer) {
                bufferRequests.push_back(r);
            }
        }
        std::vector<qnhost::Request> expectedBufferRequests;
        for (size_t slot = 0; slot < c.slots.size(); ++slot) {
            if (c.slots[slot] == kOwnStorage) {
                expectedBufferRequests.push_back(
                    request(hostPinBuffer, static_cast<int32_t>(slot)));
            }
        }
        EXPECT_EQ(bufferRequests, expectedBufferRequests);
        ASSERT_FALSE(f.host->requests().empty());
        EXPECT_EQ(f.host->requests().front(), request(hostPinCount));
    }
}

TEST(Pins, InitGivesPinsWithoutVariableStorageByDatatype) {
    struct Case {
        int32_t datatype;
        bool hasStorage;
    };
    const Case cases[] = {{int16Value, true}, {1, false},         {2, false}, {3, false},
                          {byteValue, true},  {floatValue, true}, {7, false}, {int32Value, true},
                          {9, false},         {-4, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.datatype);
        Fixture f;
        QNPin pin;
        pin.init(f.module, 3, c.datatype, nullptr);
        EXPECT_EQ(pin.getVariable(), c.hasStorage ? pin.getStorage() : nullptr);
        EXPECT_EQ(pin.getDatatype(), c.datatype);
        EXPECT_EQ(pin.getIndex(), 3);
        EXPECT_TRUE(f.host->requests().empty()) << "only sampleStream pins ask for a block";
    }
}

TEST(Pins, StreamPinAsksForItsBlockOnlyWithoutModuleVariable) {
    Fixture f;
    answerPins(f, 0);
    QNPin own;
    own.init(f.module, 6, sampleStream, nullptr);
    EXPECT_EQ(f.host->requests(), std::vector<qnhost::Request>{request(hostPinBuffer, 6)});
    intptr_t stored;
    std::memcpy(&stored, own.getStorage(), sizeof stored);
    EXPECT_EQ(stored, fakeBlockAddress(6));

    f.host->clearRequests();
    float* variable = nullptr;
    QNPin withVariable;
    withVariable.init(f.module, 2, sampleStream, &variable);
    EXPECT_TRUE(f.host->requests().empty());
    EXPECT_EQ(withVariable.getVariable(), &variable);
    uint32_t storage;
    std::memcpy(&storage, withVariable.getStorage(), sizeof storage);
    EXPECT_EQ(storage, 0u);
}

TEST(Pins, OneShotLastsOnlyWhileTheModuleIsTold) {
    for (PlugState state : {PlugState{idle}, PlugState{oneShot}, PlugState{streaming}, 7}) {
        Fixture f;
        QNPin pin;
        pin.init(f.module, 1, sampleStream, nullptr);
        pin.setStatus(state);
        EXPECT_EQ(callLog(), (std::vector<Call>{{"onPlugStateChange", {1, state}}}));
        EXPECT_EQ(pin.getStatus(), state == oneShot ? idle : state);
    }
}

TEST(Pins, RequestsCarryTheSlotAndTheirOperandsInTheRightFields) {
    Fixture f;
    f.host->setResponder([](const qnhost::Request& r) -> std::optional<intptr_t> {
        return r.code == hostPinQuery ? -3 : 55;
    });
    QNPin pin;
    pin.init(f.module, 4, sampleStream, reinterpret_cast<void*>(&f.module->variables[0]));
    pin.setStatus(streaming);
    EXPECT_EQ(pin.transmitStatus(123456, oneShot), 55);
    EXPECT_EQ(pin.getStatus(), streaming) << "transmitStatus leaves the pin's own status";
    EXPECT_EQ(pin.send(0x7788, 99), 55);
    EXPECT_TRUE(pin.query());
    EXPECT_EQ(f.host->requests(), (std::vector<qnhost::Request>{
                                      request(hostPinStatus, 4, oneShot, 123456),
                                      request(hostPinSend, 4, 99, 0x7788),
                                      request(hostPinQuery, 4),
                                  }));
}

TEST(Pins, QueryIsFalseOnlyForZero) {
    Fixture f;
    f.host->setResponder([](const qnhost::Request&) { return std::optional<intptr_t>(0); });
    QNPin pin;
    pin.init(f.module, 0, floatValue, nullptr);
    EXPECT_FALSE(pin.query());
}

TEST(Pins, ValueAtCurrentSampleIndexesModuloTwoToThe32) {
    struct Case {
        uint32_t bufferClock;
        uint32_t clock;
    };
    const Case cases[] = {{1000, 1003}, {0xFFFFFFFFu, 2}, {0x7FFFFFFEu, 0x80000001u}};
    float samples[8] = {0.0f, 1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f};
    for (const Case& c : cases) {
        Fixture f;
        f.host->setBufferClock(static_cast<int32_t>(c.bufferClock));
        f.host->setSampleClock(static_cast<int32_t>(c.clock));
        float* block = samples;
        QNPin pin;
        pin.init(f.module, 2, sampleStream, &block);
        EXPECT_EQ(pin.valueAtCurrentSample(), 3.0f);
        EXPECT_EQ(f.host->requests(), (std::vector<qnhost::Request>{
                                          request(hostPinBufferClock, 2),
                                          request(hostSampleClock),
                                      }));
    }
}

TEST(Pins, SecondOpenRebuildsThePinsAfresh) {
    Fixture f;
    answerPins(f, 2);
    f.module->descriptions = {description(sampleStream, &f.module->variables[0]),
                              description(sampleStream, &f.module->variables[1])};
    f.host->dispatch(plugOpen);
    f.module->getPin(1).setStatus(streaming);
    answerPins(f, 3);
    f.host->dispatch(plugOpen);
    ASSERT_EQ(f.module->getPinCount(), 3);
    EXPECT_EQ(f.module->getPin(1).getStatus(), idle);
    EXPECT_FALSE(f.module->getPin(2).isBound());
}

}  // namespace
