// qnhost info: what a plug-in says about itself, its pin table and what its library exports.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "elf_exports.h"
#include "info_printer.h"
#include "plugin_session.h"

namespace qnhost {

void addInfoCommand(CLI::App& app, int& exitCode) {
    CLI::App* command = app.add_subcommand(
        "info", "Module properties, pin table and exported symbols of plug-in libraries");
    auto plugins = std::make_shared<std::vector<std::string>>();
    command->add_option("plugins", *plugins, "Plug-in library files")->required();
    command->callback([plugins, &exitCode] {
        for (const std::string& path : *plugins) {
            const std::unique_ptr<PluginSession> session = PluginSession::open(path);
            std::fputs(describePlugin(*session).c_str(), stdout);
        }
        exitCode = 0;
    });
}

}  // namespace qnhost
