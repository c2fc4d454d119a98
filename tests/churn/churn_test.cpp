// Load and churn: many instances alive at once in one process, and the three plug-in
// libraries loaded and unloaded over and over. Every instance must keep to its own pin blocks
// and state, and the process must give back what it took: checked here through the C
// library's heap statistics where it has them, and by LeakSanitizer in the asan preset.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hosted_module.h"
#include "plugin_library.h"
#include "plugin_paths.h"

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/resource.h>
#endif
#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define QN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QN_UNDER_ASAN 1
#endif
#endif

namespace {

using qnhost::HostedModule;
using qnhost::HostOptions;
using qnhost::PluginLibrary;

constexpr int32_t kInstances = 10000;
constexpr int kLoadCycles = 100;
constexpr int32_t kRun = 64;  // samples per run, also the block size set on every instance

const char* const kPlugins[] = {"DK_1BPShaper", "DK_2BPShaper", "DK_3BPShaper"};

// Bytes the heap has handed out and not yet taken back; nothing to compare without glibc's
// statistics, or under ASan, whose allocator keeps its own books (LeakSanitizer checks there).
std::optional<size_t> heapInUse() {
#if defined(__GLIBC__) && !defined(QN_UNDER_ASAN)
    return mallinfo2().uordblks;
#else
    return std::nullopt;
#endif
}

// One instance's part of the session: unique corner values, so that an instance reading
// another's blocks, or a shared state, shows up in its output.
struct Instance {
    std::unique_ptr<HostedModule> host;
    float bottom = 0.0f;
    float top = 0.0f;
};

int32_t pinCount(HostedModule& host) {
    return static_cast<int32_t>(host.descriptions().size());
}

// Control below the range gives the bottom corner, at or above 1.00001 the top corner: half
// a run of each. Corner pins run from the top corner (slot 1) down to the bottom one.
void fillInputs(Instance& instance) {
    HostedModule& host = *instance.host;
    const int32_t pins = pinCount(host);
    auto control = host.block(0);
    for (int32_t i = 0; i < kRun; ++i) {
        control[static_cast<size_t>(i)] = i < kRun / 2 ? -1.0f : 2.0f;
    }
    for (int32_t slot = 1; slot < pins - 1; ++slot) {
        const float value = slot == 1 ? instance.top : slot == pins - 2 ? instance.bottom : 0.0f;
        for (float& sample : host.block(slot).first(kRun)) {
            sample = value;
        }
    }
}

::testing::AssertionResult outputHoldsCorners(Instance& instance) {
    HostedModule& host = *instance.host;
    const auto out = host.block(pinCount(host) - 1);
    for (int32_t i = 0; i < kRun; ++i) {
        const float expected = i < kRun / 2 ? instance.bottom : instance.top;
        if (out[static_cast<size_t>(i)] != expected) {
            return ::testing::AssertionFailure()
                   << "sample " << i << " is " << out[static_cast<size_t>(i)] << ", expected "
                   << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

// Loads the three libraries, runs one instance of each through open, a streaming and an idle
// run, and close, then unloads them. Answers whether every step behaved.
::testing::AssertionResult loadRunUnload(int cycle) {
    std::vector<std::unique_ptr<PluginLibrary>> libraries;
    for (const char* plugin : kPlugins) {
        libraries.push_back(PluginLibrary::load(qntest::pluginPath(plugin)));
        ModuleProperties properties{};
        if (libraries.back()->getModuleProperties()(0, &properties) != 1 ||
            properties.id != std::string(plugin)) {
            return ::testing::AssertionFailure() << plugin << " misdescribed in cycle " << cycle;
        }
        HostOptions options;
        options.blockCapacity = kRun;
        Instance instance;
        instance.host = HostedModule::create(libraries.back()->makeModule(), options);
        if (!instance.host) {
            return ::testing::AssertionFailure() << plugin << " refused makeModule";
        }
        instance.bottom = static_cast<float>(cycle);
        instance.top = -static_cast<float>(cycle);
        instance.host->open();
        instance.host->setBlockSize(kRun);
        fillInputs(instance);
        instance.host->sendPinStatus(1, idle);
        instance.host->process(0, kRun);
        if (!outputHoldsCorners(instance) || instance.host->sleepRequests() != 1) {
            return ::testing::AssertionFailure() << plugin << " misbehaved in cycle " << cycle;
        }
        if (instance.host->close() != 1) {
            return ::testing::AssertionFailure() << plugin << " did not close";
        }
    }
    libraries.clear();
#if !defined(_WIN32)
    // Unloading must really unload: a library pinned in memory (unique symbols, a nodelete
    // flag, a reference left behind) would keep its image and its memory for good.
    for (const char* plugin : kPlugins) {
        void* still = dlopen(qntest::pluginPath(plugin).c_str(), RTLD_NOW | RTLD_NOLOAD);
        if (still != nullptr) {
            dlclose(still);
            return ::testing::AssertionFailure() << plugin << " still loaded after cycle " << cycle;
        }
    }
#endif
    return ::testing::AssertionSuccess();
}

TEST(Churn, TenThousandInstancesAliveAtOnce) {
    // A first load settles what the loader keeps for the whole process.
    ASSERT_TRUE(loadRunUnload(0));
    const std::optional<size_t> heapBefore = heapInUse();
    {
        std::vector<std::unique_ptr<PluginLibrary>> libraries;
        for (const char* plugin : kPlugins) {
            libraries.push_back(PluginLibrary::load(qntest::pluginPath(plugin)));
        }

        std::vector<Instance> instances(static_cast<size_t>(kInstances));
        HostOptions options;
        options.blockCapacity = kRun;
        for (int32_t n = 0; n < kInstances; ++n) {
            Instance& instance = instances[static_cast<size_t>(n)];
            instance.host =
                HostedModule::create(libraries[static_cast<size_t>(n) % 3]->makeModule(), options);
            ASSERT_TRUE(instance.host) << "instance " << n;
            instance.bottom = static_cast<float>(n) + 0.5f;
            instance.top = -static_cast<float>(n) - 0.25f;
        }
        // Every phase goes over all instances before the next begins, so all of them are
        // alive, opened and mid-session together.
        for (Instance& instance : instances) {
            instance.host->open();
            instance.host->setSampleRate(48000.0f);
            instance.host->setBlockSize(kRun);
            fillInputs(instance);
        }
        for (Instance& instance : instances) {
            instance.host->sendPinStatus(0, streaming);
        }
        for (Instance& instance : instances) {
            instance.host->process(0, kRun);
        }
        int32_t n = 0;
        for (Instance& instance : instances) {
            ASSERT_TRUE(outputHoldsCorners(instance)) << "instance " << n;
            const int32_t output = pinCount(*instance.host) - 1;
            ASSERT_EQ(instance.host->announcedState(output), std::optional<PlugState>(streaming));
            ASSERT_EQ(instance.host->sleepRequests(), 0);
            ++n;
        }
        // Inputs go quiet: one more block of kRun samples, then each asks to sleep once.
        for (Instance& instance : instances) {
            instance.host->sendPinStatus(0, idle);
        }
        for (Instance& instance : instances) {
            instance.host->process(0, kRun);
        }
        n = 0;
        for (Instance& instance : instances) {
            ASSERT_TRUE(outputHoldsCorners(instance)) << "instance " << n;
            ASSERT_EQ(instance.host->sleepRequests(), 1) << "instance " << n;
            ASSERT_EQ(instance.host->announcedState(pinCount(*instance.host) - 1),
                      std::optional<PlugState>(idle));
            ++n;
        }
#if defined(__GLIBC__)
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%d instances alive, peak resident set %ld KiB\n", kInstances, usage.ru_maxrss);
#endif
        for (Instance& instance : instances) {
            ASSERT_EQ(instance.host->close(), 1);
        }
    }
    if (heapBefore) {
        // The libraries are unloaded and every host and instance is gone: the heap is back
        // where it was, give or take the freed small blocks the C library keeps cached per
        // thread (they count as in use). One block kept per instance would be far more.
        const size_t heapAfter = *heapInUse();
        EXPECT_LE(heapAfter, *heapBefore + 64 * 1024) << "before " << *heapBefore;
    }
}

TEST(Churn, LibrariesLoadedAndUnloadedAHundredTimes) {
    // The first cycles settle what the loader and the C library keep for the whole process.
    for (int cycle = 0; cycle < 5; ++cycle) {
        ASSERT_TRUE(loadRunUnload(cycle));
    }
    const std::optional<size_t> heapBefore = heapInUse();
    for (int cycle = 5; cycle < 5 + kLoadCycles; ++cycle) {
        ASSERT_TRUE(loadRunUnload(cycle));
    }
    if (heapBefore) {
        const size_t heapAfter = *heapInUse();
        // Anything lost per cycle would have grown a hundredfold by now.
        EXPECT_LE(heapAfter, *heapBefore + 1024) << "before " << *heapBefore;
    }
}

}  // namespace
