// qnhost validate: the conformance suite, one child process per check.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <regex>

#include "commands.h"
#include "validate/check.h"
#include "validate/suite.h"

namespace qnhost {

namespace validate {

std::vector<PluginReport> runSuite(
    const std::vector<std::string>& plugins, const SuiteOptions& options,
    const std::function<void(const PluginReport&, const CheckLine&)>& onLine) {
    std::regex only;
    try {
        only = std::regex(options.only.empty() ? std::string(".*") : options.only);
    } catch (const std::regex_error& error) {
        throw HostError("--only \"" + options.only +
                        "\" is no regular expression: " + error.what());
    }
    // Every file is opened first, so that a bad one stops the run before any check.
    std::vector<std::unique_ptr<PluginSession>> sessions;
    for (const std::string& path : plugins) {
        sessions.push_back(PluginSession::open(path, PluginLibrary::Binding::kLocal, false));
    }
    std::vector<PluginReport> reports;
    for (size_t i = 0; i < sessions.size(); ++i) {
        CheckContext context{*sessions[i], options.seed, {}};
        for (size_t j = 0; j < plugins.size(); ++j) {
            if (j != i) {
                context.companions.push_back(plugins[j]);
            }
        }
        PluginReport report{plugins[i], sessions[i]->label(), {}};
        for (const Check& check : allChecks()) {
            if (!std::regex_search(check.name, only)) {
                continue;
            }
            report.lines.push_back(
                {check.name, runIsolated(check, context, options.timeoutSeconds)});
            onLine(report, report.lines.back());
        }
        reports.push_back(std::move(report));
    }
    return reports;
}

}  // namespace validate

namespace {

struct ValidateOptions {
    std::vector<std::string> plugins;
    bool json = false;
    validate::SuiteOptions suite;
};

int runValidate(const ValidateOptions& options) {
    const auto print = [&options](const validate::PluginReport& report,
                                  const validate::CheckLine& line) {
        if (!options.json) {
            std::printf("%s\n", validate::formatLine(report.label, line).c_str());
            std::fflush(stdout);
        }
    };
    const std::vector<validate::PluginReport> reports =
        validate::runSuite(options.plugins, options.suite, print);
    const validate::Totals sum = validate::totals(reports);
    if (options.json) {
        std::fputs(validate::formatJson(reports, options.suite.seed).c_str(), stdout);
    } else {
        std::printf("%s\n", validate::formatTotals(sum).c_str());
    }
    return sum.failed > 0 ? 1 : 0;
}

}  // namespace

void addValidateCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<ValidateOptions>();
    std::string checks;
    for (const validate::Check& check : validate::allChecks()) {
        checks += std::string("\n  ") + check.name + ": " + check.summary;
    }
    CLI::App* command = app.add_subcommand(
        "validate",
        "Conformance checks, each in a child process of its own; exit status 1 when any "
        "fails. Checks:" +
            checks);
    command->add_option("plugins", options->plugins, "Plug-in library files")->required();
    command->add_flag("--json", options->json, "Report as JSON on stdout");
    command->add_option("--seed", options->suite.seed, "Seed of the random checks");
    command->add_option("--only", options->suite.only,
                        "Run only the checks whose names match this regular expression");
    command->add_option("--timeout", options->suite.timeoutSeconds, "Seconds each check may take")
        ->check(CLI::Range(0.1, 3600.0));
    command->callback([options, &exitCode] { exitCode = runValidate(*options); });
}

}  // namespace qnhost
