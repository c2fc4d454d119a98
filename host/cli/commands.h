// The subcommands of qnhost. Each add*Command registers one subcommand on the application;
// its callback stores the process exit status in `exitCode` and reports bad input by
// throwing HostError, which main turns into one line on stderr.
#pragma once

namespace CLI {
class App;
}

namespace qnhost {

// Exit status for bad input (missing files, unknown pins, ...), distinct from validate's 1.
constexpr int kExitBadInput = 2;

void addInfoCommand(CLI::App& app, int& exitCode);
void addCurveCommand(CLI::App& app, int& exitCode);
void addProcessCommand(CLI::App& app, int& exitCode);
void addValidateCommand(CLI::App& app, int& exitCode);
void addBenchCommand(CLI::App& app, int& exitCode);
void addDemoCommand(CLI::App& app, int& exitCode);
// The demo with its default options: what qnhost does without a subcommand.
int runDefaultDemo(const char* argv0);

}  // namespace qnhost
