// A plug-in library loaded by path, with its two exports looked up by name.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "module_properties.h"

namespace qnhost {

// Every failure of the host library: one line a user can read.
class HostError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class PluginLibrary {
  public:
    // kLocal keeps the library's symbols to itself; kGlobal makes them available to libraries
    // loaded later, as some hosts do.
    enum class Binding { kLocal, kGlobal };

    // Loads the library and finds both exports; throws HostError when either step fails.
    static std::unique_ptr<PluginLibrary> load(const std::string& path,
                                               Binding binding = Binding::kLocal);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    GetModulePropertiesEntry getModuleProperties() const noexcept { return describe; }
    MakeModuleEntry makeModule() const noexcept { return make; }
    const std::string& path() const noexcept { return libraryPath; }
    // Any other symbol by name, or null.
    void* symbol(const char* name) const noexcept;

  private:
    PluginLibrary(void* handle, std::string path);

    void* handle;
    std::string libraryPath;
    GetModulePropertiesEntry describe = nullptr;
    MakeModuleEntry make = nullptr;
};

}  // namespace qnhost
