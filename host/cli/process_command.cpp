// qnhost process: streams audio files (or constant volts) through a plug-in into a WAV file.
#include <unistd.h>
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include "audio_run.h"
#include "commands.h"
#include "pin_assignment.h"
#include "volts.h"

namespace qnhost {

namespace {

struct ProcessOptions {
    std::string plugin;
    std::vector<std::string> inputs;
    std::string output;
    int32_t blockSize = 512;
    int sampleRate = 44100;
    double seconds = 0.0;
};

// Files look like files: a path separator or an extension. Anything else must be volts.
bool looksLikeFile(const std::string& value) {
    return value.find('/') != std::string::npos || value.find(".wav") != std::string::npos ||
           value.find(".WAV") != std::string::npos || !parseVolts(value).has_value();
}

void runProcess(const ProcessOptions& options) {
    const std::unique_ptr<PluginSession> session = PluginSession::open(options.plugin);
    std::vector<InputSource> sources;
    for (const PinInfo* pin : session->inputs()) {
        InputSource source;
        source.pin = pin;
        source.constantVolts = PluginSession::defaultVolts(*pin);
        sources.push_back(std::move(source));
    }
    std::set<int32_t> given;
    for (const std::string& argument : options.inputs) {
        const auto [pin, value] = splitAssignment(*session, argument, "--in");
        auto source = std::find_if(sources.begin(), sources.end(),
                                   [named = pin](const InputSource& s) { return s.pin == named; });
        if (source == sources.end()) {
            throw HostError("--in \"" + argument + "\": pin \"" + pin->name + "\" is not an input");
        }
        if (!given.insert(pin->index).second) {
            throw HostError("--in names pin \"" + pin->name + "\" twice");
        }
        if (const std::optional<double> volts = parseVolts(value); volts && !looksLikeFile(value)) {
            source->constantVolts = *volts;
        } else if (value.empty()) {
            throw HostError("--in \"" + argument + "\": no file or volts after '='");
        } else {
            std::error_code error;
            if (!std::filesystem::exists(value, error)) {
                throw HostError("--in " + pin->name + "=" + value + ": \"" + value +
                                "\" is neither a number of volts nor an existing file");
            }
            source->file = std::make_unique<WavReader>(value);
        }
    }

    RunSettings settings;
    settings.blockSize = options.blockSize;
    settings.sampleRate = options.sampleRate;
    const WavReader* first = nullptr;
    for (const InputSource& source : sources) {
        if (source.file == nullptr) {
            continue;
        }
        if (first == nullptr) {
            first = source.file.get();
            settings.sampleRate = first->sampleRate();
            settings.frames = first->frames();
        } else if (source.file->sampleRate() != first->sampleRate()) {
            throw HostError(source.file->path() + " runs at " +
                            std::to_string(source.file->sampleRate()) + " Hz but " + first->path() +
                            " at " + std::to_string(first->sampleRate()) + " Hz");
        } else if (source.file->frames() != first->frames()) {
            throw HostError(source.file->path() + " has " + std::to_string(source.file->frames()) +
                            " samples but " + first->path() + " has " +
                            std::to_string(first->frames()));
        }
    }
    if (first == nullptr) {
        if (options.seconds <= 0.0) {
            throw HostError("no input reads a file: give --seconds for how long to run");
        }
        settings.frames = std::llround(options.seconds * settings.sampleRate);
    }
    settings.showProgress = isatty(STDERR_FILENO) != 0 && settings.frames > 10 * 44100;

    WavWriter output(options.output, settings.sampleRate);
    const RunReport report = streamThrough(*session, sources, settings, output);
    output.commit();
    std::printf("%s: %s\nwrote %s\n", session->label().c_str(),
                describeRun(report, settings.sampleRate).c_str(), options.output.c_str());
}

}  // namespace

void addProcessCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<ProcessOptions>();
    CLI::App* command = app.add_subcommand(
        "process", "Stream audio files or constant volts through a plug-in into a WAV file");
    command->add_option("plugin", options->plugin, "Plug-in library file")->required();
    command->add_option("--in", options->inputs,
                        "PIN=FILE.wav or PIN=VOLTS; a file streams (its first channel, sample "
                        "1.0 = 10 volts), volts stay constant. Inputs not named hold their "
                        "default");
    command->add_option("--out", options->output, "Output WAV file (32-bit float)")->required();
    command->add_option("--block", options->blockSize, "Samples per process call")
        ->check(CLI::Range(1, 1 << 20));
    command->add_option("--rate", options->sampleRate, "Sample rate when no input reads a file")
        ->check(CLI::Range(1, 1000000));
    command->add_option("--seconds", options->seconds, "Length when no input reads a file");
    command->callback([options, &exitCode] {
        runProcess(*options);
        exitCode = 0;
    });
}

}  // namespace qnhost
