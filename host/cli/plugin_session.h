// One plug-in as the subcommands see it: the loaded library, its module's texts and its pin
// table, and instances made from it. Opening checks that the file is a plug-in of this ABI.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hosted_module.h"
#include "plugin_library.h"

namespace qnhost {

struct PinInfo {
    int32_t index = 0;  // description number
    int32_t slot = -1;  // pin slot, or -1 for a description that takes none
    std::string name;
    PinDirection direction = pinInput;
    PinDatatype datatype = sampleStream;
    std::optional<std::string> defaultText;
};

struct ModuleTexts {
    std::string name;
    std::string id;
    std::string about;
    int32_t frameworkVersion = 0;
};

class PluginSession {
  public:
    // Loads the library and reads its description; throws HostError with one readable line
    // for a missing file, a library that does not load, missing exports, or a makeModule
    // that answers null.
    // Without `describe`, no instance is made yet: describePins() does that later, which lets
    // validate keep every call that could crash or hang out of its own process.
    static std::unique_ptr<PluginSession> open(
        const std::string& path, PluginLibrary::Binding binding = PluginLibrary::Binding::kLocal,
        bool describe = true);
    // Makes one instance to read the pin table, then closes it.
    void describePins();

    const std::string& path() const noexcept { return library->path(); }
    PluginLibrary& plugin() const noexcept { return *library; }
    const ModuleTexts& texts() const noexcept { return moduleTexts; }
    // The identifier, or the file name when the module has none.
    std::string label() const;
    const std::vector<PinInfo>& pins() const noexcept { return pinTable; }

    std::vector<const PinInfo*> inputs() const;
    std::vector<const PinInfo*> outputs() const;
    // A pin by name, or by number written as "#N" (or plain N when no pin has that name).
    const PinInfo& findPin(const std::string& nameOrNumber) const;
    // The pin's default text read as volts; 0 when it has none or it is no number.
    static double defaultVolts(const PinInfo& pin);

    // A new instance, not yet opened; throws HostError when makeModule refuses.
    std::unique_ptr<HostedModule> makeInstance(HostOptions options = {}) const;

  private:
    explicit PluginSession(std::unique_ptr<PluginLibrary> library);

    std::unique_ptr<PluginLibrary> library;
    ModuleTexts moduleTexts;
    std::vector<PinInfo> pinTable;
};

}  // namespace qnhost
