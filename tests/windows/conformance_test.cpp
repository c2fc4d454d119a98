// The three shaper DLLs met the way a 32-bit Windows host meets them: LoadLibrary,
// GetProcAddress, cdecl calls, the 32-bit record layouts, and a stack that may be aligned to
// only 4 bytes.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <climits>
#include <cstring>
#include <set>
#include <vector>

#include "exported_symbols.h"
#include "hosted_module.h"
#include "plugin_library.h"
#include "shaper_variants.h"

static_assert(sizeof(void*) == 4, "the host's platform is 32-bit");

// Calls `entry` with `count` 32-bit argument words and the stack pointer `skew` bytes short of a
// 16-byte boundary at the call; answers EAX. The caller removes the arguments (cdecl).
extern "C" uint32_t qnCallWithSkewedStack(const void* entry, const uint32_t* words, uint32_t count,
                                          uint32_t skew);
asm(R"(
    .text
    .globl _qnCallWithSkewedStack
_qnCallWithSkewedStack:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    movl 12(%ebp), %esi
    movl 16(%ebp), %ecx
    andl $-16, %esp
    subl $64, %esp
    subl 20(%ebp), %esp
    xorl %edi, %edi
1:  cmpl %ecx, %edi
    jae 2f
    movl (%esi,%edi,4), %eax
    movl %eax, (%esp,%edi,4)
    incl %edi
    jmp 1b
2:  call *8(%ebp)
    leal -8(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebp
    ret
)");

namespace qnplatform {

using Shaper = shapertest::Variant;
using shapertest::bits;
using shapertest::referenceCurve;

namespace {

using qnhost::HostedModule;
using qnhost::PluginLibrary;

template <class T>
T patterned() {
    T value;
    std::memset(&value, 0xA5, sizeof value);
    return value;
}

int requestsSeen = 0;
QN_CDECL intptr_t countingCallback(PlugRecord*, int32_t, int32_t, int32_t, void*, float) {
    ++requestsSeen;
    return 0;
}

class Conformance : public testing::TestWithParam<Shaper> {
  protected:
    void SetUp() override { library = PluginLibrary::load(GetParam().path()); }

    std::unique_ptr<HostedModule> openModule(qnhost::HostOptions options = {}) {
        auto module = HostedModule::create(library->makeModule(), options);
        if (module) {
            module->open();
        }
        return module;
    }

    // Fills control and corners at `sample` and answers what the output must become.
    float feed(HostedModule& module, size_t sample, float control, const std::vector<float>& c) {
        module.block(0)[sample] = control;
        for (int32_t k = 0; k < GetParam().cornerCount(); ++k) {
            module.block(GetParam().cornerSlot(k))[sample] = c[static_cast<size_t>(k)];
        }
        return referenceCurve(GetParam(), control, c);
    }

    std::vector<float> corners(float first, float step) const {
        std::vector<float> values;
        for (int32_t k = 0; k < GetParam().cornerCount(); ++k) {
            values.push_back(first + step * static_cast<float>(k * k));
        }
        return values;
    }

    std::unique_ptr<PluginLibrary> library;
};

TEST_P(Conformance, ExportsExactlyTheTwoEntryPointsUnderTheInternalNameModuleDll) {
    const qntest::ExportTable table = qntest::exportTable(GetParam().path());
    EXPECT_EQ(table.internalName, "Module.dll");
    EXPECT_EQ(table.names, (std::set<std::string>{"getModuleProperties", "makeModule"}));
    EXPECT_EQ(table.slots, 2u) << "no export by ordinal only";
    for (const char* hidden : {"dispatcherEntry", "eventEntry", "emptyProcess", "DllMain",
                               "_getModuleProperties", "makeModule@16", "_makeModule"}) {
        EXPECT_EQ(library->symbol(hidden), nullptr) << hidden;
    }
}

TEST_P(Conformance, GetModulePropertiesWritesOnlyWhatItMay) {
    const auto pattern = patterned<ModuleProperties>();
    for (int32_t index : {1, -1, 2, INT32_MIN}) {
        auto refused = patterned<ModuleProperties>();
        EXPECT_EQ(library->getModuleProperties()(index, &refused), 0);
        EXPECT_EQ(refused.frameworkVersion, 2230);
        refused.frameworkVersion = pattern.frameworkVersion;
        EXPECT_EQ(std::memcmp(&refused, &pattern, sizeof pattern), 0) << "index " << index;
    }
    auto described = patterned<ModuleProperties>();
    EXPECT_EQ(library->getModuleProperties()(0, &described), 1);
    EXPECT_EQ(described.frameworkVersion, 2230);
    EXPECT_STREQ(described.name, GetParam().name);
    EXPECT_STREQ(described.id, GetParam().id);
    const std::string about = described.about;
    EXPECT_EQ(about.rfind(GetParam().aboutPrefix(), 0), 0u) << about;
    EXPECT_GT(about.size(), GetParam().aboutPrefix().size()) << "ends with the web address";
    EXPECT_NE(about.back(), '\n');
    EXPECT_EQ(described.reservedA, pattern.reservedA);
    EXPECT_EQ(described.reservedB, pattern.reservedB);
}

TEST_P(Conformance, MakeModuleRefusesWithoutAnyRequest) {
    requestsSeen = 0;
    for (auto [index, kind] : {std::pair{1, 1}, {0, 2}, {0, 0}, {-1, 1}}) {
        EXPECT_EQ(library->makeModule()(index, kind, &countingCallback, nullptr), nullptr)
            << index << ", " << kind;
    }
    EXPECT_EQ(requestsSeen, 0);
}

TEST_P(Conformance, TheRecordHasTheHostsLayoutAndLiesInsideItsObject) {
    requestsSeen = 0;
    auto* handle = reinterpret_cast<void*>(0x1234ABCD);
    PlugRecord* first = library->makeModule()(0, 1, &countingCallback, handle);
    PlugRecord* second = library->makeModule()(0, 1, &countingCallback, handle);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    const auto* words = reinterpret_cast<const uint32_t*>(first);
    EXPECT_EQ(words[0], 0x514E504Cu);
    EXPECT_EQ(std::memcmp(first, "LPNQ", 4), 0) << "little-endian magic";
    EXPECT_EQ(words[1], 1u);
    EXPECT_EQ(words[2], 0x1234ABCDu);
    EXPECT_LT(reinterpret_cast<uintptr_t>(first->object), reinterpret_cast<uintptr_t>(first));
    for (int word : {4, 8, 9, 10, 11}) {
        EXPECT_EQ(words[word], 0u) << "reserved word " << word;
    }
    for (int word : {5, 6, 7}) {
        EXPECT_NE(words[word], 0u) << "entry word " << word;
    }
    first->process(first->object, 0, 16);  // the empty process before open touches nothing
    EXPECT_EQ(requestsSeen, 0) << "creation makes no request";
    EXPECT_EQ(first->dispatcher(first, plugClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(second->dispatcher(second, plugClose, 0, 0, nullptr, 0.0f), 1);
}

TEST_P(Conformance, PinDescriptionsAreNumberedWithoutGapsAndRefusedBeyond) {
    auto module = HostedModule::create(library->makeModule());
    ASSERT_NE(module, nullptr);
    const auto pattern = patterned<PinProperties>();
    std::set<void*> variables;
    for (int32_t index = 0; index < GetParam().pinCount(); ++index) {
        const shapertest::PinRow& expected = GetParam().pins[static_cast<size_t>(index)];
        auto properties = patterned<PinProperties>();
        ASSERT_TRUE(module->getPinProperties(index, properties)) << index;
        EXPECT_STREQ(properties.name, expected.name);
        EXPECT_EQ(properties.datatype, sampleStream);
        const bool output = expected.defaultText == nullptr;
        EXPECT_EQ(properties.direction, output ? pinOutput : pinInput);
        if (output) {
            EXPECT_EQ(properties.defaultText, pattern.defaultText) << "left as the host set it";
        } else {
            EXPECT_STREQ(properties.defaultText, expected.defaultText);
        }
        EXPECT_EQ(properties.reservedA, pattern.reservedA);
        EXPECT_EQ(properties.flags, pattern.flags);
        EXPECT_EQ(properties.reservedB, pattern.reservedB);
        EXPECT_TRUE(variables.insert(properties.variable).second) << "own variable per pin";
    }
    for (int32_t index : {GetParam().pinCount(), GetParam().pinCount() + 1, -1, INT32_MIN}) {
        auto refused = patterned<PinProperties>();
        EXPECT_FALSE(module->getPinProperties(index, refused)) << index;
        EXPECT_EQ(std::memcmp(&refused, &pattern, sizeof pattern), 0) << index;
    }
}

TEST_P(Conformance, OpenAsksThePinCountThenAnnouncesItsProcessFunction) {
    qnhost::HostOptions options;
    options.record = true;
    auto module = HostedModule::create(library->makeModule(), options);
    ASSERT_NE(module, nullptr);
    const PlugProcessEntry before = module->record()->process;
    module->open();
    ASSERT_EQ(module->requests().size(), 2u);
    EXPECT_EQ(module->requests()[0].code, hostPinCount);
    EXPECT_EQ(module->requests()[1].code, hostProcessChanged);
    EXPECT_NE(module->record()->process, before);
    EXPECT_EQ(module->pinCount(), GetParam().pinCount());
}

TEST_P(Conformance, ProcessWritesExactlyItsRunInPlaceToo) {
    auto module = openModule();
    ASSERT_NE(module, nullptr);
    constexpr float kCanary = -1234.5f;
    std::vector<float> expected(16, kCanary);
    const float controls[] = {-2.0f, 0.0f, 0.1f, 0.3f, 0.5f, 0.7f, 0.9f, 1.0f, 5.0f};
    for (size_t i = 0; i < 16; ++i) {
        const float value = feed(*module, i, controls[i % 9], corners(0.25f, -0.125f));
        if (i >= 3 && i < 12) {
            expected[i] = value;
        }
    }
    auto out = module->block(GetParam().outputSlot());
    std::fill(out.begin(), out.begin() + 16, kCanary);
    module->process(3, 9);
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(bits(out[i]), bits(expected[i])) << "sample " << i;
    }

    module->process(0, 0);
    module->process(0, -5);
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(bits(out[i]), bits(expected[i])) << "runs of 0 or less write nothing";
    }

    // The output shares its memory with the control: every sample reads before it writes.
    std::vector<float> shared(8);
    std::vector<float> inPlace(8);
    for (size_t i = 0; i < 8; ++i) {
        inPlace[i] = feed(*module, i, controls[i], corners(-0.5f, 0.25f));
        shared[i] = controls[i];
    }
    module->setPinBlock(0, shared.data());
    module->setPinBlock(GetParam().outputSlot(), shared.data());
    module->process(0, 8);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(bits(shared[i]), bits(inPlace[i])) << "sample " << i;
    }
}

TEST_P(Conformance, PlugStatesAreAnnouncedAndIdleModulesAskToSleepAfterOneBlock) {
    auto module = openModule();
    ASSERT_NE(module, nullptr);
    const int32_t output = GetParam().outputSlot();
    module->setSampleClock(777);

    module->sendPinStatus(GetParam().cornerSlot(0), streaming);
    EXPECT_EQ(module->announcedState(output), streaming);
    for (int run = 0; run < 8; ++run) {
        module->process(0, 256);
    }
    EXPECT_EQ(module->sleepRequests(), 0) << "a streaming input keeps it running";

    // Default block size 1024, runs of 256: asleep at the end of the fourth run, then again
    // after every later run.
    module->sendPinStatus(GetParam().cornerSlot(0), idle);
    EXPECT_EQ(module->announcedState(output), idle);
    for (int run = 1; run <= 3; ++run) {
        module->process(0, 256);
        EXPECT_EQ(module->sleepRequests(), 0) << "run " << run;
    }
    module->process(0, 256);
    EXPECT_EQ(module->sleepRequests(), 1);
    module->process(0, 256);
    EXPECT_EQ(module->sleepRequests(), 2);

    // oneShot lasts for its own event only; runs of 100 reach the countdown in the eleventh.
    module->sendPinStatus(0, oneShot);
    EXPECT_EQ(module->announcedState(output), oneShot);
    const int32_t before = module->sleepRequests();
    for (int run = 1; run <= 10; ++run) {
        module->process(0, 100);
    }
    EXPECT_EQ(module->sleepRequests(), before);
    module->process(0, 100);
    EXPECT_EQ(module->sleepRequests(), before + 1);
}

TEST_P(Conformance, PlugCloseAnswersOneAcrossAThousandLifetimes) {
    for (int cycle = 0; cycle < 1000; ++cycle) {
        PlugRecord* record = library->makeModule()(0, 1, &countingCallback, nullptr);
        ASSERT_NE(record, nullptr) << "cycle " << cycle;
        record->dispatcher(record, plugOpen, 0, 0, nullptr, 0.0f);
        ASSERT_EQ(record->dispatcher(record, plugClose, 0, 0, nullptr, 0.0f), 1)
            << "cycle " << cycle;
    }
}

// Every entry the host calls, reached with the stack 4, 8 and 12 bytes off a 16-byte boundary.
TEST_P(Conformance, EntriesTolerateAStackAlignedToFourBytes) {
    const auto word = [](auto value) {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value));
    };
    for (uint32_t skew : {4u, 8u, 12u}) {
        auto properties = patterned<ModuleProperties>();
        const uint32_t describe[] = {0, word(&properties)};
        EXPECT_EQ(
            qnCallWithSkewedStack(reinterpret_cast<const void*>(library->getModuleProperties()),
                                  describe, 2, skew),
            1u);
        EXPECT_STREQ(properties.id, GetParam().id);

        // makeModule through the skewed stack, then the host library drives the same instance
        // the ordinary way to set up blocks, and the record's entries are called skewed again.
        qnhost::HostOptions options;
        auto host = HostedModule::create(library->makeModule(), options);
        ASSERT_NE(host, nullptr);
        const uint32_t make[] = {0, 1, word(&countingCallback), 0};
        auto* record = reinterpret_cast<PlugRecord*>(qnCallWithSkewedStack(
            reinterpret_cast<const void*>(library->makeModule()), make, 4, skew));
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(qnCallWithSkewedStack(
                      reinterpret_cast<const void*>(record->dispatcher),
                      std::array<uint32_t, 6>{word(record), plugClose, 0, 0, 0, 0}.data(), 6, skew),
                  1u);

        host->open();
        PlugRecord* driven = host->record();
        std::vector<float> expected;
        for (size_t i = 0; i < 8; ++i) {
            expected.push_back(
                feed(*host, i, 0.125f * static_cast<float>(i), corners(1.0f, -0.5f)));
        }
        auto pin = patterned<PinProperties>();
        const uint32_t describePin[] = {word(driven), plugGetPinProperties, 0, 0, word(&pin), 0};
        EXPECT_EQ(qnCallWithSkewedStack(reinterpret_cast<const void*>(driven->dispatcher),
                                        describePin, 6, skew),
                  1u);
        EXPECT_STREQ(pin.name, "Control 0-10v");

        host->setBlockSize(8);  // the countdown the event below starts
        EventRecord event{};
        event.type = eventPinStatus;
        event.value = idle;
        event.extra = 0;
        const uint32_t deliver[] = {word(driven->object), word(&event)};
        qnCallWithSkewedStack(reinterpret_cast<const void*>(driven->eventHandler), deliver, 2,
                              skew);
        EXPECT_EQ(host->announcedState(GetParam().outputSlot()), idle);

        const uint32_t run[] = {word(driven->object), 0, 8};
        qnCallWithSkewedStack(reinterpret_cast<const void*>(driven->process), run, 3, skew);
        EXPECT_EQ(host->sleepRequests(), 1) << "the wrapper ran";
        auto out = host->block(GetParam().outputSlot());
        for (size_t i = 0; i < 8; ++i) {
            EXPECT_EQ(bits(out[i]), bits(expected[i])) << "skew " << skew << " sample " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapers, Conformance, testing::ValuesIn(shapertest::variants()),
                         [](const testing::TestParamInfo<Shaper>& info) {
                             return std::string(info.param.id);
                         });

}  // namespace
}  // namespace qnplatform
