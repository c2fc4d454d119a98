#include "audio_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "volts.h"

namespace qnhost {

RunReport streamThrough(const PluginSession& session, std::vector<InputSource>& inputs,
                        const RunSettings& settings, WavWriter& output) {
    const std::vector<const PinInfo*> outputs = session.outputs();
    if (outputs.empty()) {
        throw HostError(session.label() + " has no output pin");
    }
    HostOptions options;
    options.blockCapacity = settings.blockSize;
    std::unique_ptr<HostedModule> module = session.makeInstance(options);
    module->setSampleRate(static_cast<float>(settings.sampleRate));
    module->setBlockSize(settings.blockSize);
    module->open();

    for (InputSource& input : inputs) {
        if (!input.streams()) {
            const auto block = module->block(input.pin->slot);
            std::fill(block.begin(), block.end(), voltsToSample(input.constantVolts));
        }
    }
    for (InputSource& input : inputs) {
        module->sendPinStatus(input.pin->slot, input.streams() ? streaming : idle);
    }

    RunReport report;
    const auto started = std::chrono::steady_clock::now();
    const auto out = module->block(outputs.front()->slot);
    int lastPercent = -1;
    for (int64_t done = 0; done < settings.frames;) {
        const auto count =
            static_cast<int32_t>(std::min<int64_t>(settings.blockSize, settings.frames - done));
        for (InputSource& input : inputs) {
            float* block = module->block(input.pin->slot).data();
            if (input.file != nullptr) {
                const int64_t got = input.file->read(block, count);
                std::fill(block + got, block + count, 0.0f);
            } else if (!input.generated.empty()) {
                std::copy_n(input.generated.begin() + done, count, block);
            }
        }
        if (!module->sleeping()) {
            module->process(0, count);
            ++report.processCalls;
        }
        output.write(out.data(), count);
        module->advanceSampleClock(count);
        done += count;
        ++report.blocks;
        if (settings.showProgress) {
            const int percent = static_cast<int>(done * 100 / settings.frames);
            if (percent != lastPercent) {
                std::fprintf(stderr, "\r%3d%%", percent);
                lastPercent = percent;
            }
        }
    }
    if (settings.showProgress) {
        std::fputs("\r    \r", stderr);
    }
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    report.samples = settings.frames;
    report.sleepRequests = module->sleepRequests();
    return report;
}

std::string describeRun(const RunReport& report, int sampleRate) {
    char line[256];
    const double audioSeconds = static_cast<double>(report.samples) / sampleRate;
    std::snprintf(line, sizeof line,
                  "%lld samples in %lld blocks, %lld process calls, %d sleep requests, "
                  "%.1f ms (%.0fx real time)",
                  static_cast<long long>(report.samples), static_cast<long long>(report.blocks),
                  static_cast<long long>(report.processCalls), report.sleepRequests,
                  report.seconds * 1000.0,
                  report.seconds > 0 ? audioSeconds / report.seconds : 0.0);
    return line;
}

}  // namespace qnhost
