#include "plugin_session.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "volts.h"

namespace qnhost {

namespace {

std::string text(const char* value) {
    return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::unique_ptr<PluginSession> PluginSession::open(const std::string& path,
                                                   PluginLibrary::Binding binding, bool describe) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw HostError(path + ": no such file");
    }
    if (std::filesystem::is_directory(path, error)) {
        throw HostError(path + " is a folder, not a plug-in library");
    }
    if (!std::ifstream(path, std::ios::binary)) {
        throw HostError(path + ": cannot read the file");
    }
    std::unique_ptr<PluginSession> session(new PluginSession(PluginLibrary::load(path, binding)));

    ModuleProperties properties{};
    if (session->library->getModuleProperties()(0, &properties) != 1) {
        throw HostError(path + " is not a plug-in: getModuleProperties(0) refuses to describe it");
    }
    session->moduleTexts = {text(properties.name), text(properties.id), text(properties.about),
                            properties.frameworkVersion};

    if (describe) {
        session->describePins();
    }
    return session;
}

void PluginSession::describePins() {
    pinTable.clear();
    std::unique_ptr<HostedModule> probe = makeInstance();
    int32_t slot = 0;
    for (const PinProperties& description : probe->describePins()) {
        PinInfo pin;
        pin.index = static_cast<int32_t>(pinTable.size());
        pin.slot = pinTakesSlot(description.flags) != 0 ? slot++ : -1;
        pin.name = text(description.name);
        pin.direction = description.direction;
        pin.datatype = description.datatype;
        if (description.defaultText != nullptr) {
            pin.defaultText = description.defaultText;
        }
        pinTable.push_back(std::move(pin));
    }
}

PluginSession::PluginSession(std::unique_ptr<PluginLibrary> loaded) : library(std::move(loaded)) {}

std::string PluginSession::label() const {
    if (!moduleTexts.id.empty()) {
        return moduleTexts.id;
    }
    return std::filesystem::path(path()).stem().string();
}

std::vector<const PinInfo*> PluginSession::inputs() const {
    std::vector<const PinInfo*> found;
    for (const PinInfo& pin : pinTable) {
        if (pin.direction == pinInput && pin.slot >= 0) {
            found.push_back(&pin);
        }
    }
    return found;
}

std::vector<const PinInfo*> PluginSession::outputs() const {
    std::vector<const PinInfo*> found;
    for (const PinInfo& pin : pinTable) {
        if (pin.direction == pinOutput && pin.slot >= 0) {
            found.push_back(&pin);
        }
    }
    return found;
}

const PinInfo& PluginSession::findPin(const std::string& nameOrNumber) const {
    for (const PinInfo& pin : pinTable) {
        if (pin.name == nameOrNumber) {
            return pin;
        }
    }
    std::string number = nameOrNumber;
    if (!number.empty() && number.front() == '#') {
        number.erase(0, 1);
    }
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos &&
        number.size() < 9) {
        const auto index = static_cast<size_t>(std::stoul(number));
        if (index < pinTable.size()) {
            return pinTable[index];
        }
    }
    // A unique case-insensitive start of a name, so that "control" finds "Control 0-10v".
    const auto lower = [](std::string value) {
        for (char& c : value) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return value;
    };
    const PinInfo* prefixMatch = nullptr;
    int prefixMatches = 0;
    for (const PinInfo& pin : pinTable) {
        if (!nameOrNumber.empty() && lower(pin.name).rfind(lower(nameOrNumber), 0) == 0) {
            prefixMatch = &pin;
            ++prefixMatches;
        }
    }
    if (prefixMatches == 1 && nameOrNumber.find_first_not_of("0123456789.") != std::string::npos) {
        return *prefixMatch;
    }
    std::string names;
    for (const PinInfo& pin : pinTable) {
        names += (names.empty() ? "\"" : ", \"") + pin.name + "\"";
    }
    throw HostError(label() + " has no pin \"" + nameOrNumber + "\" (its pins: " + names + ")");
}

double PluginSession::defaultVolts(const PinInfo& pin) {
    if (!pin.defaultText) {
        return 0.0;
    }
    return parseVolts(*pin.defaultText).value_or(0.0);
}

std::unique_ptr<HostedModule> PluginSession::makeInstance(HostOptions options) const {
    std::unique_ptr<HostedModule> instance =
        HostedModule::create(library->makeModule(), std::move(options));
    if (instance == nullptr) {
        throw HostError(path() + " is not a usable plug-in: makeModule(0, 1) answers null");
    }
    return instance;
}

}  // namespace qnhost
