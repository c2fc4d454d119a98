// qnhost: runs, plots, processes audio through, validates and measures plug-ins of this ABI.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>

#include "commands.h"
#include "plugin_library.h"

int main(int argc, char** argv) {
    CLI::App app{
        "qnhost: a command-line host for plug-ins of the QN module ABI.\n"
        "Without a subcommand it runs the demo."};
    app.set_help_all_flag("--help-all", "Help for every subcommand");
    int exitCode = 0;
    qnhost::addInfoCommand(app, exitCode);
    qnhost::addCurveCommand(app, exitCode);
    qnhost::addProcessCommand(app, exitCode);
    qnhost::addValidateCommand(app, exitCode);
    qnhost::addBenchCommand(app, exitCode);
    qnhost::addDemoCommand(app, exitCode);
    app.require_subcommand(0, 1);

    try {
        app.parse(argc, argv);
        if (app.get_subcommands().empty()) {
            exitCode = qnhost::runDefaultDemo(argv[0]);
        }
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) {
            return app.exit(error);  // --help
        }
        std::fprintf(stderr, "qnhost: %s (see --help)\n", error.what());
        return qnhost::kExitBadInput;
    } catch (const qnhost::HostError& error) {
        std::fprintf(stderr, "qnhost: %s\n", error.what());
        return qnhost::kExitBadInput;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qnhost: %s\n", error.what());
        return qnhost::kExitBadInput;
    }
    return exitCode;
}
