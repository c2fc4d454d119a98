// The shell every shaper shares, seen from the host: pin descriptions, module texts, the
// state announced on the output, the choice between running and sleeping, and the countdown.
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "QNModule_base.h"
#include "host_callback.h"
#include "shaper_variants.h"

namespace shapertest {
namespace {

using qnhost::HostedModule;
using qnhost::HostOptions;
using qnhost::Request;

class ShellTest : public testing::TestWithParam<Variant> {};

HostOptions recording(std::optional<int32_t> pinCount = std::nullopt) {
    HostOptions options;
    options.pinCount = pinCount;
    options.record = true;
    return options;
}

template <class Record>
Record patterned() {
    Record record;
    std::memset(&record, 0xA5, sizeof record);
    return record;
}

TEST_P(ShellTest, DescribesItsPinsWritingOnlyTheirFields) {
    const Variant& variant = GetParam();
    auto host = HostedModule::create(library(variant).makeModule());
    ASSERT_TRUE(host);
    const PinProperties untouched = patterned<PinProperties>();
    std::vector<void*> variables;
    for (int32_t index = 0; index < variant.pinCount(); ++index) {
        SCOPED_TRACE(testing::Message() << "pin " << index);
        const PinRow& row = variant.pins[static_cast<size_t>(index)];
        const bool output = index == variant.outputSlot();
        PinProperties pin = untouched;
        ASSERT_TRUE(host->getPinProperties(index, pin));
        variables.push_back(pin.variable);
        EXPECT_EQ(pin.direction, output ? pinOutput : pinInput);
        EXPECT_EQ(pin.datatype, sampleStream);
        EXPECT_STREQ(pin.name, row.name);
        if (output) {
            EXPECT_EQ(pin.defaultText, untouched.defaultText);
        } else {
            EXPECT_STREQ(pin.defaultText, row.defaultText);
        }
        EXPECT_EQ(pin.reservedA, untouched.reservedA);
        EXPECT_EQ(pin.flags, untouched.flags);
        EXPECT_EQ(pin.reservedB, untouched.reservedB);
    }
    // The pin variables are the module's members in pin order, right after the base part.
    auto* object = static_cast<char*>(host->record()->object);
    EXPECT_EQ(variables[0], object + sizeof(QNModule_base));
    for (size_t i = 1; i < variables.size(); ++i) {
        EXPECT_EQ(static_cast<char*>(variables[i]),
                  static_cast<char*>(variables[i - 1]) + sizeof(float*))
            << "pin " << i;
    }
    for (const int32_t index :
         {-1, INT32_MIN, variant.pinCount(), variant.pinCount() + 1, INT32_MAX}) {
        PinProperties pin = untouched;
        EXPECT_FALSE(host->getPinProperties(index, pin)) << "index " << index;
        EXPECT_EQ(std::memcmp(&pin, &untouched, sizeof pin), 0) << "index " << index;
    }
}

TEST_P(ShellTest, ModuleTexts) {
    const Variant& variant = GetParam();
    auto properties = patterned<ModuleProperties>();
    const ModuleProperties untouched = properties;
    ASSERT_EQ(library(variant).getModuleProperties()(0, &properties), 1);
    EXPECT_STREQ(properties.name, variant.name);
    EXPECT_STREQ(properties.id, variant.id);
    const std::string about = std::string("Shaper with ") + variant.id[3] +
                              " breakpoints\nversion 1.0\nby Brenwick\n\n"
                              "https://qn-shapers.example.org";
    EXPECT_STREQ(properties.about, about.c_str());
    EXPECT_EQ(properties.reservedA, untouched.reservedA);
    EXPECT_EQ(properties.reservedB, untouched.reservedB);
    EXPECT_EQ(properties.frameworkVersion, 2230);
}

// Plug-state changes, each followed by what the host must see: the state announced on the
// output at the current clock, and whether the plain process function or the wrapper runs.
enum class Pin { kControl, kFirstCorner, kLastCorner };

struct Step {
    Pin pin;
    PlugState state;
    PlugState announced;
    bool running;  // plain process function, as opposed to the process-then-sleep wrapper
};

struct StateCase {
    const char* what;
    std::vector<Step> steps;
};

const std::vector<StateCase> kStateCases{
    {"a streaming corner outweighs an idle control and a one-shot corner",
     {{Pin::kControl, idle, idle, false},
      {Pin::kFirstCorner, oneShot, oneShot, false},
      {Pin::kLastCorner, streaming, streaming, true}}},
    {"all inputs idle", {{Pin::kControl, idle, idle, false}}},
    {"streaming control, idle corners", {{Pin::kControl, streaming, streaming, true}}},
    {"a one-shot is forgotten after its own event",
     {{Pin::kControl, oneShot, oneShot, false}, {Pin::kFirstCorner, idle, idle, false}}},
    {"the same non-streaming result twice",
     {{Pin::kLastCorner, idle, idle, false}, {Pin::kLastCorner, idle, idle, false}}},
    {"any state above streaming streams",
     {{Pin::kFirstCorner, 7, 7, true}, {Pin::kControl, streaming, 7, true}}},
    {"streaming stops when the last streaming input stops",
     {{Pin::kControl, streaming, streaming, true},
      {Pin::kLastCorner, streaming, streaming, true},
      {Pin::kControl, idle, streaming, true},
      {Pin::kLastCorner, idle, idle, false}}},
};

int32_t slotOf(const Variant& variant, Pin pin) {
    switch (pin) {
        case Pin::kControl:
            return 0;
        case Pin::kFirstCorner:
            return 1;
        case Pin::kLastCorner:
            return variant.cornerCount();
    }
    return -1;
}

TEST_P(ShellTest, AnnouncesTheStrongestInputAndChoosesTheProcessFunction) {
    const Variant& variant = GetParam();
    for (const StateCase& c : kStateCases) {
        SCOPED_TRACE(c.what);
        auto host = openModule(variant, recording());
        const PlugProcessEntry running = host->record()->process;
        ASSERT_EQ(host->processChanges(), 1) << "open installs the plain process function";
        bool wasRunning = true;
        int32_t clock = 0x01234560;
        for (size_t s = 0; s < c.steps.size(); ++s) {
            const Step& step = c.steps[s];
            SCOPED_TRACE(testing::Message() << "step " << s);
            host->setSampleClock(++clock);
            host->clearRequests();
            host->sendPinStatus(slotOf(variant, step.pin), step.state);

            std::vector<Request> expected{
                {hostSampleClock, 0, 0, 0, 0.0f},
                {hostPinStatus, variant.outputSlot(), step.announced, clock, 0.0f}};
            if (step.running != wasRunning) {
                expected.push_back({hostProcessChanged, 0, 0, 0, 0.0f});
            }
            EXPECT_EQ(host->requests(), expected);
            EXPECT_EQ(host->record()->process == running, step.running);
            wasRunning = step.running;
        }
    }
}

// Cases of the countdown: after a non-streaming change, runs of `run` samples; the host's
// running count of hostSleep requests after each run.
struct CountdownCase {
    const char* what;
    std::optional<int32_t> blockSize;
    int32_t run;
    std::vector<int32_t> sleepsAfterRun;
};

const std::vector<CountdownCase> kCountdownCases{
    {"runs of 256 reach exactly 0 after the fourth", std::nullopt, 256, {0, 0, 0, 1, 2, 3}},
    {"runs of 100 pass 0 in the eleventh", std::nullopt, 100, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}},
    {"block size 64, one run of 64", 64, 64, {1, 2}},
    {"block size 0 sleeps even after a run of 0", 0, 0, {1, 2}},
};

TEST_P(ShellTest, AsksToSleepOnceABlockIsDone) {
    const Variant& variant = GetParam();
    for (const CountdownCase& c : kCountdownCases) {
        SCOPED_TRACE(c.what);
        auto host = openModule(variant);
        if (c.blockSize) {
            host->setBlockSize(*c.blockSize);
        }
        host->sendPinStatus(0, idle);
        int32_t offset = 0;
        for (size_t r = 0; r < c.sleepsAfterRun.size(); ++r) {
            host->process(offset % 1024, c.run);
            offset += c.run;
            EXPECT_EQ(host->sleepRequests(), c.sleepsAfterRun[r]) << "after run " << r + 1;
        }
    }
}

TEST_P(ShellTest, KeepsComputingWhileSettlingAndAsleep) {
    const Variant& variant = GetParam();
    auto host = openModule(variant);
    const auto out = host->block(variant.outputSlot());
    std::fill(out.begin(), out.end(), -1.0f);
    host->sendPinStatus(0, oneShot);
    for (int32_t run = 0; run < 5; ++run) {  // the fifth run comes after the first sleep request
        host->process(run * 256, 256);
    }
    EXPECT_EQ(host->sleepRequests(), 2);
    // Every block holds zeros, so every computed sample is the bottom corner, 0.
    for (size_t i = 0; i < 1280; ++i) {
        ASSERT_EQ(std::bit_cast<uint32_t>(out[i]), 0u) << "position " << i;
    }
    EXPECT_EQ(out[1280], -1.0f);

    // An empty run while asleep writes nothing and asks again.
    host->process(1280, 0);
    EXPECT_EQ(host->sleepRequests(), 3);
    EXPECT_EQ(out[1280], -1.0f);
}

TEST_P(ShellTest, EveryChangeRestartsTheCountdown) {
    const Variant& variant = GetParam();
    auto host = openModule(variant);
    host->sendPinStatus(0, idle);
    host->process(0, 1000);
    host->sendPinStatus(1, idle);
    host->process(1000, 1000);
    EXPECT_EQ(host->sleepRequests(), 0) << "1024 again after the second change";
    host->process(2000, 24);
    EXPECT_EQ(host->sleepRequests(), 1);

    // A streaming input wakes it for good.
    host->sendPinStatus(0, streaming);
    for (int32_t run = 0; run < 4; ++run) {
        host->process(0, 1024);
    }
    EXPECT_EQ(host->sleepRequests(), 1);
}

// A host that counted fewer slots than the pin table: the missing pins count as idle and
// nothing is announced on a missing output; processing has no output block to write.
TEST_P(ShellTest, FewerPinSlotsThanPins) {
    const Variant& variant = GetParam();
    for (const int32_t slots : {variant.pinCount() - 1, 1}) {
        SCOPED_TRACE(testing::Message() << slots << " slots");
        auto host = openModule(variant, recording(slots));
        const PlugProcessEntry running = host->record()->process;
        host->sendPinStatus(0, oneShot);
        EXPECT_NE(host->record()->process, running);
        host->process(0, 1024);
        EXPECT_EQ(host->sleepRequests(), 1);
        host->sendPinStatus(0, streaming);
        EXPECT_EQ(host->record()->process, running);
        for (const Request& request : host->requests()) {
            EXPECT_NE(request.code, hostPinStatus);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapers, ShellTest, testing::ValuesIn(variants()),
                         [](const testing::TestParamInfo<Variant>& info) {
                             return std::string(info.param.id);
                         });

}  // namespace
}  // namespace shapertest
