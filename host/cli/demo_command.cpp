// qnhost demo: the tour of the three built shapers — their descriptions, the validator, curve
// plots for a few shapes, and a slow sine on the control rendered to WAV files.
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>

#include "audio_run.h"
#include "commands.h"
#include "info_printer.h"
#include "shapes.h"
#include "svg_plot.h"
#include "text_plot.h"
#include "validate/suite.h"
#include "volts.h"

namespace qnhost {

namespace {

namespace fs = std::filesystem;

const char* const kShapers[] = {"DK_1BPShaper", "DK_2BPShaper", "DK_3BPShaper"};
constexpr int kSampleRate = 44100;
constexpr double kSineSeconds = 2.0;
constexpr double kSineHertz = 1.0;

struct DemoOptions {
    std::string plugins;
    std::string output;
};

// build/<preset>/host/cli/qnhost -> build/<preset>
fs::path buildFolder(const char* argv0) {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        executable = fs::absolute(argv0, error);
    }
    return executable.parent_path().parent_path().parent_path();
}

std::vector<std::string> findShapers(const fs::path& folder) {
    std::vector<std::string> paths;
    for (const char* name : kShapers) {
        const fs::path path = folder / (std::string(name) + ".so");
        std::error_code error;
        if (!fs::exists(path, error)) {
            throw HostError(path.string() +
                            " not found: build the plug-ins first (cmake --build --preset "
                            "default) or give --plugins DIR");
        }
        paths.push_back(path.string());
    }
    return paths;
}

std::vector<float> slowSine(int64_t frames) {
    std::vector<float> samples(static_cast<size_t>(frames));
    for (int64_t i = 0; i < frames; ++i) {
        const double phase =
            2.0 * std::numbers::pi * kSineHertz * static_cast<double>(i) / kSampleRate;
        // 0 to 10 volts, starting at the bottom.
        samples[static_cast<size_t>(i)] = voltsToSample(5.0 - 5.0 * std::cos(phase));
    }
    return samples;
}

int runDemo(const DemoOptions& options, const char* argv0) {
    const fs::path build = buildFolder(argv0);
    const bool explicitPlugins = !options.plugins.empty();
    const fs::path pluginFolder = explicitPlugins ? fs::path(options.plugins) : build / "plugins";
    const std::vector<std::string> paths = findShapers(pluginFolder);
    fs::path output = options.output;
    if (output.empty()) {
        output = explicitPlugins ? fs::path("qnhost-demo") : build / "demo-output";
    }
    std::error_code error;
    fs::create_directories(output, error);
    if (error) {
        throw HostError("cannot make " + output.string() + ": " + error.message());
    }

    std::printf("== The plug-ins ==\n");
    std::vector<std::unique_ptr<PluginSession>> sessions;
    for (const std::string& path : paths) {
        sessions.push_back(PluginSession::open(path));
        std::printf("%s\n", describePlugin(*sessions.back()).c_str());
    }

    std::printf("== Validation ==\n");
    const auto printProblems = [](const validate::PluginReport& report,
                                  const validate::CheckLine& line) {
        if (line.result.outcome != validate::Outcome::kPassed) {
            std::printf("%s\n", validate::formatLine(report.label, line).c_str());
        }
    };
    const std::vector<validate::PluginReport> reports =
        validate::runSuite(paths, validate::SuiteOptions{}, printProblems);
    for (const validate::PluginReport& report : reports) {
        const validate::Totals sum = validate::totals({report});
        std::printf("%-14s %s\n", report.label.c_str(), validate::formatTotals(sum).c_str());
    }
    const validate::Totals sum = validate::totals(reports);
    std::printf("%s\n\n", validate::formatTotals(sum).c_str());

    std::printf("== Curves ==\n");
    int plots = 0;
    for (const auto& session : sessions) {
        for (const std::string& shape : shapeNames()) {
            const Curve curve = sweepCurve(*session, shapeCorners(*session, shape));
            const fs::path file = output / (session->label() + "-" + shape + ".svg");
            writeTextFile(file.string(), renderSvg(curve));
            ++plots;
            if (shape == "fold") {
                Curve titled = curve;
                titled.title += " (fold)";
                std::printf("%s\n", renderTextPlot(titled, 56, 12).c_str());
            }
        }
    }

    std::printf("== A slow sine on the control ==\n");
    const auto frames = static_cast<int64_t>(kSineSeconds * kSampleRate);
    const std::vector<float> sine = slowSine(frames);
    {
        WavWriter control((output / "control-sine.wav").string(), kSampleRate);
        control.write(sine.data(), frames);
        control.commit();
    }
    int sounds = 1;
    for (const auto& session : sessions) {
        for (const std::string shape : {"identity", "fold"}) {
            std::vector<InputSource> sources;
            const std::map<int32_t, double> corners = shapeCorners(*session, shape);
            for (const PinInfo* pin : session->inputs()) {
                InputSource source;
                source.pin = pin;
                if (pin == session->inputs().front()) {
                    source.generated = sine;
                } else {
                    source.constantVolts = corners.at(pin->index);
                }
                sources.push_back(std::move(source));
            }
            RunSettings settings;
            settings.sampleRate = kSampleRate;
            settings.frames = frames;
            const fs::path file = output / (session->label() + "-" + shape + "-sine.wav");
            WavWriter writer(file.string(), kSampleRate);
            const RunReport report = streamThrough(*session, sources, settings, writer);
            writer.commit();
            ++sounds;
            std::printf("%-14s %-8s %s\n", session->label().c_str(), shape.c_str(),
                        describeRun(report, kSampleRate).c_str());
        }
    }

    std::printf("\nEverything went to %s:\n", fs::absolute(output).string().c_str());
    std::printf("  %d SVG curve plots (<module>-<shape>.svg: default, identity, V, fold)\n", plots);
    std::printf(
        "  %d WAV files (control-sine.wav, the control; <module>-<shape>-sine.wav, "
        "the outputs; 1.0 = 10 volts)\n",
        sounds);
    return sum.failed > 0 ? 1 : 0;
}

}  // namespace

void addDemoCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<DemoOptions>();
    CLI::App* command = app.add_subcommand(
        "demo", "Describe, validate, plot and run the three built shapers (the default)");
    command->add_option("--plugins", options->plugins,
                        "Folder holding DK_1BPShaper.so, DK_2BPShaper.so, DK_3BPShaper.so "
                        "(default: the build's plugins folder)");
    command->add_option("--out", options->output,
                        "Folder for the plots and sounds (default: build/<preset>/demo-output, "
                        "or ./qnhost-demo with --plugins)");
    command->callback([options, &exitCode] { exitCode = runDemo(*options, "qnhost"); });
}

int runDefaultDemo(const char* argv0) {
    return runDemo(DemoOptions{}, argv0);
}

}  // namespace qnhost
