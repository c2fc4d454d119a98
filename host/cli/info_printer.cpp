#include "info_printer.h"

#include <cstdio>

#include "elf_exports.h"

namespace qnhost {

const char* datatypeName(PinDatatype datatype) {
    switch (datatype) {
        case int16Value:
            return "int16Value";
        case byteValue:
            return "byteValue";
        case sampleStream:
            return "sampleStream";
        case floatValue:
            return "floatValue";
        case int32Value:
            return "int32Value";
        default:
            return "other";
    }
}

std::string describePlugin(const PluginSession& session) {
    const ModuleTexts& texts = session.texts();
    std::string about;
    for (const char c : texts.about) {
        about += c;
        if (c == '\n') {
            about += "              ";
        }
    }
    std::string exports;
    for (const std::string& name : exportedSymbols(session.path())) {
        exports += (exports.empty() ? "" : ", ") + name;
    }
    std::string text = session.path() + "\n";
    text += "  name        " + texts.name + "\n";
    text += "  identifier  " + texts.id + "\n";
    text += "  about       " + about + "\n";
    text += "  framework   " + std::to_string(texts.frameworkVersion) + "\n";
    text += "  exports     " + exports + "\n";
    text += "  pins\n";
    char line[256];
    std::snprintf(line, sizeof line, "    %-5s  %-16s  %-9s  %-12s  %s\n", "index", "name",
                  "direction", "datatype", "default");
    text += line;
    for (const PinInfo& pin : session.pins()) {
        const char* direction = pin.direction == pinInput    ? "input"
                                : pin.direction == pinOutput ? "output"
                                                             : "?";
        std::snprintf(line, sizeof line, "    %-5d  %-16s  %-9s  %-12s  %s\n", pin.index,
                      ("\"" + pin.name + "\"").c_str(), direction, datatypeName(pin.datatype),
                      pin.defaultText ? ("\"" + *pin.defaultText + "\"").c_str() : "-");
        text += line;
    }
    return text;
}

}  // namespace qnhost
