// The defined dynamic symbols of a shared library, as the platform's tools list them.
#pragma once

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace qntest {

// Names that `nm -D --defined-only` lists for the library; empty when nm cannot run.
inline std::set<std::string> definedDynamicSymbols(const std::string& path) {
    std::set<std::string> names;
    const std::string command = "nm -D --defined-only '" + path + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return names;
    }
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, kind, name;
        if (fields >> address >> kind >> name) {
            names.insert(name);
        }
    }
    pclose(pipe);
    return names;
}

}  // namespace qntest
