// How validate tells its results: one line per check for people, or JSON for machines.
#pragma once

#include <string>
#include <vector>

#include "check_runner.h"

namespace qnhost::validate {

struct CheckLine {
    std::string check;
    CheckResult result;
};

struct PluginReport {
    std::string path;
    std::string label;
    std::vector<CheckLine> lines;
};

struct Totals {
    int passed = 0;
    int failed = 0;  // crashed ones included
    int skipped = 0;
};

Totals totals(const std::vector<PluginReport>& reports);
std::string formatLine(const std::string& label, const CheckLine& line);
// The closing line: exactly "N passed, M failed".
std::string formatTotals(const Totals& totals);
std::string formatJson(const std::vector<PluginReport>& reports, uint32_t seed);

}  // namespace qnhost::validate
