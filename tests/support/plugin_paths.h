// Where the build put the plug-in libraries.
#pragma once

#include <string>

namespace qntest {

inline std::string pluginPath(const std::string& name) {
#if defined(_WIN32)
    return std::string(QN_PLUGIN_DIR) + "/" + name + ".dll";
#else
    return std::string(QN_PLUGIN_DIR) + "/" + name + ".so";
#endif
}

}  // namespace qntest
