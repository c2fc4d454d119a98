// One conformance check of `qnhost validate`: a named function that runs against a loaded
// plug-in in a child process of its own. It passes by returning, and reports anything else
// by throwing CheckFailure or CheckSkipped.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "hosted_module.h"
#include "plugin_session.h"

namespace qnhost::validate {

struct CheckContext {
    PluginSession& session;
    uint32_t seed = 1;
    // Other plug-ins named on the same command line, loaded together in one check.
    std::vector<std::string> companions;
};

struct Check {
    const char* name;
    const char* summary;
    void (*run)(const CheckContext&);
};

class CheckFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
class CheckSkipped : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& reason);
[[noreturn]] void skip(const std::string& reason);
inline void require(bool condition, const std::string& reason) {
    if (!condition) {
        fail(reason);
    }
}

// An opened instance whose inputs hold their defaults; blocks of `capacity` samples.
std::unique_ptr<HostedModule> openInstance(const CheckContext& context, int32_t capacity = 1024);
// Every input block filled with its pin's default.
void fillDefaults(HostedModule& module, const PluginSession& session);
// Sends the same plug state to every input.
void setAllInputs(HostedModule& module, const PluginSession& session, PlugState state);

std::vector<Check> boundaryChecks();
std::vector<Check> pinChecks();
std::vector<Check> processChecks();
std::vector<Check> stateChecks();
std::vector<Check> lifecycleChecks();
// All of them, in the order they run.
const std::vector<Check>& allChecks();

}  // namespace qnhost::validate
