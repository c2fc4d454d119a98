#include "volts.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "plugin_library.h"

namespace qnhost {

std::optional<double> parseVolts(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front())) != 0) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || end != text.c_str() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

double requireVolts(const std::string& text, const std::string& what) {
    if (const std::optional<double> value = parseVolts(text)) {
        return *value;
    }
    throw HostError(what + ": \"" + text + "\" is not a number of volts");
}

}  // namespace qnhost
