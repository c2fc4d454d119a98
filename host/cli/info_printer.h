// The text of `qnhost info` for one plug-in, shared with the demo.
#pragma once

#include <string>

#include "plugin_session.h"

namespace qnhost {

std::string describePlugin(const PluginSession& session);
const char* datatypeName(PinDatatype datatype);

}  // namespace qnhost
