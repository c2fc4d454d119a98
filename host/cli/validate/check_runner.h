// Runs one check in a child process with a time limit, so that a plug-in that crashes or
// hangs is reported instead of taking qnhost down with it.
#pragma once

#include <string>

#include "check.h"

namespace qnhost::validate {

enum class Outcome { kPassed, kFailed, kCrashed, kSkipped };

struct CheckResult {
    Outcome outcome = Outcome::kPassed;
    std::string detail;  // the reason, for anything but a pass
};

CheckResult runIsolated(const Check& check, const CheckContext& context, double timeoutSeconds);

const char* outcomeName(Outcome outcome);

}  // namespace qnhost::validate
