// The exported boundary of a plug-in, met the way a host meets it: through dlopen.
#include <gtest/gtest.h>

#include <cstring>

#include "exported_symbols.h"
#include "hosted_module.h"
#include "plugin_library.h"
#include "plugin_paths.h"

namespace {

using qnhost::HostedModule;
using qnhost::PluginLibrary;

const std::string kDoubler = qntest::pluginPath("qn_test_doubler");

ModuleProperties patterned() {
    ModuleProperties properties;
    std::memset(&properties, 0x5A, sizeof properties);
    return properties;
}

TEST(Boundary, ExportsExactlyTheTwoEntryPoints) {
    EXPECT_EQ(qntest::definedDynamicSymbols(kDoubler),
              (std::set<std::string>{"getModuleProperties", "makeModule"}));
    auto library = PluginLibrary::load(kDoubler);
    for (const char* hidden : {"dispatcherEntry", "eventEntry", "emptyProcess"}) {
        EXPECT_EQ(library->symbol(hidden), nullptr) << hidden;
    }
}

TEST(Boundary, GetModulePropertiesWritesOnlyWhatItMay) {
    auto library = PluginLibrary::load(kDoubler);
    const ModuleProperties pattern = patterned();

    for (int32_t index : {1, -1, 2, INT32_MIN}) {
        ModuleProperties refused = patterned();
        EXPECT_EQ(library->getModuleProperties()(index, &refused), 0);
        EXPECT_EQ(refused.frameworkVersion, 2230);
        refused.frameworkVersion = pattern.frameworkVersion;
        EXPECT_EQ(std::memcmp(&refused, &pattern, sizeof pattern), 0) << "index " << index;
    }

    ModuleProperties described = patterned();
    EXPECT_EQ(library->getModuleProperties()(0, &described), 1);
    EXPECT_EQ(described.frameworkVersion, 2230);
    EXPECT_STREQ(described.name, "Test doubler");
    EXPECT_STREQ(described.id, "QN_TestDoubler");
    EXPECT_STREQ(described.about, "Doubles its input\nfor boundary tests");
    EXPECT_EQ(described.reservedA, pattern.reservedA);
    EXPECT_EQ(described.reservedB, pattern.reservedB);
}

int requestsSeen = 0;
QN_CDECL intptr_t countingCallback(PlugRecord*, int32_t, int32_t, int32_t, void*, float) {
    ++requestsSeen;
    return 0;
}

TEST(Boundary, MakeModuleRefusesOtherIndicesAndKinds) {
    auto library = PluginLibrary::load(kDoubler);
    requestsSeen = 0;
    EXPECT_EQ(library->makeModule()(1, 1, &countingCallback, nullptr), nullptr);
    EXPECT_EQ(library->makeModule()(0, 2, &countingCallback, nullptr), nullptr);
    EXPECT_EQ(library->makeModule()(0, 0, &countingCallback, nullptr), nullptr);
    EXPECT_EQ(library->makeModule()(-1, 1, &countingCallback, nullptr), nullptr);
    EXPECT_EQ(requestsSeen, 0);
}

TEST(Boundary, MakeModuleReturnsTheEmbeddedRecordOfANewInstance) {
    auto library = PluginLibrary::load(kDoubler);
    requestsSeen = 0;
    auto* handle = reinterpret_cast<void*>(0xC0FFEE);
    PlugRecord* first = library->makeModule()(0, 1, &countingCallback, handle);
    PlugRecord* second = library->makeModule()(0, 1, &countingCallback, handle);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->magic, 0x514E504C);
    EXPECT_EQ(first->version, 1);
    EXPECT_EQ(first->hostHandle, handle);
    EXPECT_NE(first->object, static_cast<void*>(first)) << "the record lies inside the object";
    EXPECT_EQ(requestsSeen, 0) << "creation makes no request";
    EXPECT_EQ(first->dispatcher(first, plugClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(second->dispatcher(second, plugClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(Boundary, NullCallbackGivesAWorkingInstanceThatAsksNothing) {
    auto library = PluginLibrary::load(kDoubler);
    PlugRecord* record = library->makeModule()(0, 1, nullptr, nullptr);
    ASSERT_NE(record, nullptr);
    record->dispatcher(record, plugOpen, 0, 0, nullptr, 0.0f);
    record->process(record->object, 0, 16);  // no pins, no blocks: must not touch any
    EXPECT_EQ(record->dispatcher(record, plugClose, 0, 0, nullptr, 0.0f), 1);
}

TEST(Boundary, HostDrivesTheInstanceThroughTheRecord) {
    auto library = PluginLibrary::load(kDoubler);
    qnhost::HostOptions options;
    options.record = true;
    auto host = HostedModule::create(library->makeModule(), options);
    ASSERT_NE(host, nullptr);
    const PlugProcessEntry before = host->record()->process;
    host->open();
    EXPECT_NE(host->record()->process, before);
    ASSERT_EQ(host->requests().size(), 2u);
    EXPECT_EQ(host->requests()[0].code, hostPinCount);
    EXPECT_EQ(host->requests()[1].code, hostProcessChanged);
    EXPECT_EQ(host->processChanges(), 1);

    auto input = host->block(0);
    for (size_t i = 0; i < 8; ++i) {
        input[i] = static_cast<float>(i) + 0.25f;
    }
    host->process(2, 4);
    auto output = host->block(1);
    EXPECT_EQ(output[1], 0.0f);
    for (size_t i = 2; i < 6; ++i) {
        EXPECT_EQ(output[i], 2.0f * input[i]);
    }
    EXPECT_EQ(output[6], 0.0f);
    EXPECT_EQ(host->close(), 1);
}

TEST(Boundary, LoadingSomethingThatIsNotAPluginFails) {
    EXPECT_THROW(PluginLibrary::load("/nonexistent/plugin.so"), qnhost::HostError);
    EXPECT_THROW(PluginLibrary::load("libm.so.6"), qnhost::HostError);
}

}  // namespace
