// The whole conformance suite over several plug-ins, as `qnhost validate` and the demo run it.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "report.h"

namespace qnhost::validate {

struct SuiteOptions {
    uint32_t seed = 1;
    std::string only;  // a regular expression over check names; empty runs all
    double timeoutSeconds = 30.0;
};

// Runs every selected check on every plug-in; `onLine` hears about each result as it comes.
// Throws HostError when a file is no plug-in at all, or the expression is malformed.
std::vector<PluginReport> runSuite(
    const std::vector<std::string>& plugins, const SuiteOptions& options,
    const std::function<void(const PluginReport&, const CheckLine&)>& onLine);

}  // namespace qnhost::validate
