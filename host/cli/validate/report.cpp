#include "report.h"

#include <cstdio>

namespace qnhost::validate {

namespace {

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                quoted += "\\\"";
                break;
            case '\\':
                quoted += "\\\\";
                break;
            case '\n':
                quoted += "\\n";
                break;
            case '\t':
                quoted += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    quoted += escaped;
                } else {
                    quoted += c;
                }
        }
    }
    return quoted + "\"";
}

}  // namespace

Totals totals(const std::vector<PluginReport>& reports) {
    Totals sum;
    for (const PluginReport& report : reports) {
        for (const CheckLine& line : report.lines) {
            switch (line.result.outcome) {
                case Outcome::kPassed:
                    ++sum.passed;
                    break;
                case Outcome::kSkipped:
                    ++sum.skipped;
                    break;
                default:
                    ++sum.failed;
            }
        }
    }
    return sum;
}

std::string formatLine(const std::string& label, const CheckLine& line) {
    char text[128];
    std::snprintf(text, sizeof text, "%-20s %-22s %s", label.c_str(), line.check.c_str(),
                  outcomeName(line.result.outcome));
    std::string formatted = text;
    if (!line.result.detail.empty()) {
        formatted += ": " + line.result.detail;
    }
    return formatted;
}

std::string formatTotals(const Totals& totals) {
    return std::to_string(totals.passed) + " passed, " + std::to_string(totals.failed) + " failed";
}

std::string formatJson(const std::vector<PluginReport>& reports, uint32_t seed) {
    const Totals sum = totals(reports);
    std::string json = "{\n  \"seed\": " + std::to_string(seed) + ",\n  \"plugins\": [";
    for (size_t p = 0; p < reports.size(); ++p) {
        const PluginReport& report = reports[p];
        json += p == 0 ? "\n" : ",\n";
        json += "    {\"path\": " + jsonString(report.path) +
                ", \"module\": " + jsonString(report.label) + ", \"checks\": [";
        for (size_t c = 0; c < report.lines.size(); ++c) {
            const CheckLine& line = report.lines[c];
            json += c == 0 ? "\n" : ",\n";
            json += "      {\"name\": " + jsonString(line.check) +
                    ", \"result\": " + jsonString(outcomeName(line.result.outcome)) +
                    ", \"detail\": " + jsonString(line.result.detail) + "}";
        }
        json += "\n    ]}";
    }
    json += "\n  ],\n  \"passed\": " + std::to_string(sum.passed) +
            ",\n  \"failed\": " + std::to_string(sum.failed) +
            ",\n  \"skipped\": " + std::to_string(sum.skipped) + "\n}\n";
    return json;
}

}  // namespace qnhost::validate
