// qnhost curve: the transfer curve of a plug-in, measured through its process entry, as SVG,
// CSV or a plot in the terminal.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "atomic_output.h"
#include "commands.h"
#include "curve_sweep.h"
#include "pin_assignment.h"
#include "shapes.h"
#include "svg_plot.h"
#include "text_plot.h"
#include "volts.h"

namespace qnhost {

namespace {

struct CurveOptions {
    std::string plugin;
    std::vector<std::string> corners;
    std::string shape = "default";
    int points = 221;
    std::string svg;
    std::string csv;
};

std::string renderCsv(const Curve& curve) {
    std::string csv = "control_volts,output_volts\n";
    char line[96];
    for (const CurvePoint& point : curve.points) {
        // Nine digits keep every float exactly.
        std::snprintf(line, sizeof line, "%.9g,%.9g\n", point.controlVolts, point.outputVolts);
        csv += line;
    }
    return csv;
}

void runCurve(const CurveOptions& options) {
    const std::unique_ptr<PluginSession> session = PluginSession::open(options.plugin);
    std::map<int32_t, double> corners = shapeCorners(*session, options.shape);
    const std::vector<const PinInfo*> inputs = session->inputs();
    for (const std::string& argument : options.corners) {
        const auto [pin, value] = splitAssignment(*session, argument, "--corner");
        if (pin->direction != pinInput || pin->slot < 0 ||
            (!inputs.empty() && pin == inputs.front())) {
            throw HostError("--corner \"" + argument + "\": pin \"" + pin->name +
                            "\" is not a corner input");
        }
        corners[pin->index] = requireVolts(value, "--corner " + pin->name);
    }
    SweepSettings settings;
    settings.points = options.points;
    const Curve curve = sweepCurve(*session, corners, settings);
    if (!options.svg.empty()) {
        writeTextFile(options.svg, renderSvg(curve));
        std::printf("wrote %s\n", options.svg.c_str());
    }
    if (!options.csv.empty()) {
        writeTextFile(options.csv, renderCsv(curve));
        std::printf("wrote %s\n", options.csv.c_str());
    }
    if (options.svg.empty() && options.csv.empty()) {
        std::fputs(renderTextPlot(curve).c_str(), stdout);
    }
}

}  // namespace

void addCurveCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<CurveOptions>();
    CLI::App* command = app.add_subcommand(
        "curve",
        "Sweep the control over -0.5 to 10.5 volts through the process entry and plot the "
        "output (SVG, CSV, or in the terminal)");
    command->add_option("plugin", options->plugin, "Plug-in library file")->required();
    command->add_option("--corner", options->corners,
                        "PIN=VOLTS: hold a corner input at these volts (default: the pin's "
                        "default text, as volts; 10 volts is 1.0 on the host scale)");
    command->add_option("--shape", options->shape, "Corner preset: default, identity, V, fold")
        ->check(CLI::IsMember(shapeNames()));
    command->add_option("--points", options->points, "Number of control values")
        ->check(CLI::Range(2, 1000000));
    command->add_option("--svg", options->svg, "Write the plot as SVG to this file");
    command->add_option("--csv", options->csv, "Write the points as CSV to this file");
    command->callback([options, &exitCode] {
        runCurve(*options);
        exitCode = 0;
    });
}

}  // namespace qnhost
