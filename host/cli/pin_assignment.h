// PIN=VALUE arguments (--corner, --in): split at the first '=' and the pin looked up by name.
#pragma once

#include <string>
#include <utility>

#include "plugin_library.h"
#include "plugin_session.h"

namespace qnhost {

// The pin and the text after '='; throws HostError for a missing '=' or an unknown pin.
inline std::pair<const PinInfo*, std::string> splitAssignment(const PluginSession& session,
                                                              const std::string& argument,
                                                              const std::string& option) {
    const size_t equals = argument.find('=');
    if (equals == std::string::npos || equals == 0) {
        throw HostError(option + " \"" + argument + "\" should read PIN=VALUE");
    }
    return {&session.findPin(argument.substr(0, equals)), argument.substr(equals + 1)};
}

}  // namespace qnhost
