// qnhost bench: the cost of the process entry, and what the sleep policy saves in a patch.
#include <CLI/CLI.hpp>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "commands.h"
#include "plugin_session.h"
#include "volts.h"

namespace qnhost {

namespace {

using Clock = std::chrono::steady_clock;

struct BenchOptions {
    std::string plugin;
    int32_t blockSize = 256;
    int instances = 64;
    double seconds = 1.0;
    int sampleRate = 44100;
};

double since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A control that moves over the whole range, so every segment of a curve is used.
void fillSweep(HostedModule& module, int32_t slot) {
    const auto block = module.block(slot);
    for (size_t i = 0; i < block.size(); ++i) {
        block[i] = static_cast<float>(i % 1101) / 1000.0f - 0.05f;
    }
}

std::unique_ptr<HostedModule> benchInstance(const PluginSession& session,
                                            const BenchOptions& options, bool streams) {
    HostOptions hostOptions;
    hostOptions.blockCapacity = options.blockSize;
    std::unique_ptr<HostedModule> module = session.makeInstance(hostOptions);
    module->setSampleRate(static_cast<float>(options.sampleRate));
    module->setBlockSize(options.blockSize);
    module->open();
    const std::vector<const PinInfo*> inputs = session.inputs();
    for (const PinInfo* pin : inputs) {
        const auto block = module->block(pin->slot);
        std::fill(block.begin(), block.end(), voltsToSample(PluginSession::defaultVolts(*pin)));
    }
    if (!inputs.empty()) {
        fillSweep(*module, inputs.front()->slot);
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        module->sendPinStatus(inputs[i]->slot, streams && i == 0 ? streaming : idle);
    }
    return module;
}

// Seconds of one core that `seconds` of audio through the patch takes.
double runPatch(std::vector<std::unique_ptr<HostedModule>>& patch, const BenchOptions& options,
                bool honourSleep, int& asleepAtEnd) {
    const auto blocks =
        static_cast<int64_t>(std::ceil(options.seconds * options.sampleRate / options.blockSize));
    const Clock::time_point start = Clock::now();
    for (int64_t b = 0; b < blocks; ++b) {
        for (const auto& module : patch) {
            if (!honourSleep || !module->sleeping()) {
                module->process(0, options.blockSize);
            }
            module->advanceSampleClock(options.blockSize);
        }
    }
    const double used = since(start);
    asleepAtEnd = 0;
    for (const auto& module : patch) {
        asleepAtEnd += module->sleeping() ? 1 : 0;
    }
    return used;
}

void runBench(const BenchOptions& options) {
    const std::unique_ptr<PluginSession> session = PluginSession::open(options.plugin);
    if (session->inputs().empty()) {
        throw HostError(session->label() + " has no input to drive");
    }

    std::unique_ptr<HostedModule> single = benchInstance(*session, options, true);
    int64_t calls = 0;
    const Clock::time_point start = Clock::now();
    double elapsed = 0.0;
    do {
        for (int i = 0; i < 64; ++i) {
            single->process(0, options.blockSize);
        }
        calls += 64;
        elapsed = since(start);
    } while (elapsed < options.seconds);
    const double samples = static_cast<double>(calls) * options.blockSize;
    std::printf("%s process entry, runs of %d samples, control streaming:\n",
                session->label().c_str(), options.blockSize);
    std::printf(
        "  %.2f ns per sample, %.1f million samples per second (%.0fx real time at %d "
        "Hz)\n",
        elapsed / samples * 1e9, samples / elapsed / 1e6, samples / elapsed / options.sampleRate,
        options.sampleRate);

    // A patch where only every fourth instance has a moving input.
    std::vector<std::unique_ptr<HostedModule>> patch;
    int streamingCount = 0;
    for (int i = 0; i < options.instances; ++i) {
        const bool streams = i % 4 == 0;
        streamingCount += streams ? 1 : 0;
        patch.push_back(benchInstance(*session, options, streams));
    }
    int asleep = 0;
    int ignored = 0;
    const double withSleep = runPatch(patch, options, true, asleep);
    const double withoutSleep = runPatch(patch, options, false, ignored);
    std::printf(
        "patch of %d instances at %d Hz, blocks of %d, %d with a streaming input, "
        "%.1f s of audio:\n",
        options.instances, options.sampleRate, options.blockSize, streamingCount, options.seconds);
    std::printf("  with the sleep policy:  %.3f%% of one core (%d instances asleep)\n",
                100.0 * withSleep / options.seconds, asleep);
    std::printf("  without it:             %.3f%% of one core (every instance called)\n",
                100.0 * withoutSleep / options.seconds);
}

}  // namespace

void addBenchCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<BenchOptions>();
    CLI::App* command = app.add_subcommand(
        "bench",
        "Cost per sample of the process entry, and the share of one core a patch "
        "takes with and without the sleep policy");
    command->add_option("plugin", options->plugin, "Plug-in library file")->required();
    command->add_option("--block", options->blockSize, "Samples per process call")
        ->check(CLI::Range(1, 1 << 16));
    command->add_option("--instances", options->instances, "Instances in the patch")
        ->check(CLI::Range(1, 100000));
    command
        ->add_option("--seconds", options->seconds,
                     "Measuring time for the single instance, and audio length of the patch")
        ->check(CLI::Range(0.01, 3600.0));
    command->add_option("--rate", options->sampleRate, "The patch's sample rate")
        ->check(CLI::Range(1, 1000000));
    command->callback([options, &exitCode] {
        runBench(*options);
        exitCode = 0;
    });
}

}  // namespace qnhost
