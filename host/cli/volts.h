// Volts as users write them, and the host scale the plug-ins see: 10 volts is 1.0.
#pragma once

#include <optional>
#include <string>

namespace qnhost {

constexpr double kVoltsPerUnit = 10.0;

inline float voltsToSample(double volts) {
    return static_cast<float>(volts / kVoltsPerUnit);
}
inline double sampleToVolts(float sample) {
    return static_cast<double>(sample) * kVoltsPerUnit;
}

// The whole text as a finite decimal number, or nothing ("6.6666" -> 6.6666, "5v" -> nothing).
std::optional<double> parseVolts(const std::string& text);
// As parseVolts, but throws HostError naming `what` when the text is no number.
double requireVolts(const std::string& text, const std::string& what);

}  // namespace qnhost
