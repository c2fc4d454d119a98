// Named corner settings that draw well-known curves on any number of evenly spaced corners.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "plugin_session.h"

namespace qnhost {

// "default", "identity", "V" and "fold".
const std::vector<std::string>& shapeNames();

// Volts for each corner pin (every input but the control), by description number; throws
// HostError for an unknown name.
std::map<int32_t, double> shapeCorners(const PluginSession& session, const std::string& shape);

}  // namespace qnhost
