#include "plugin_library.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace qnhost {

namespace {

#if defined(_WIN32)
void* openLibrary(const std::string& path, PluginLibrary::Binding /*binding*/) {
    return reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
}
void closeLibrary(void* handle) {
    FreeLibrary(static_cast<HMODULE>(handle));
}
void* findSymbol(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}
std::string lastError() {
    return "error " + std::to_string(GetLastError());
}
#else
void* openLibrary(const std::string& path, PluginLibrary::Binding binding) {
    const int scope = binding == PluginLibrary::Binding::kGlobal ? RTLD_GLOBAL : RTLD_LOCAL;
    return dlopen(path.c_str(), RTLD_NOW | scope);
}
void closeLibrary(void* handle) {
    dlclose(handle);
}
void* findSymbol(void* handle, const char* name) {
    return dlsym(handle, name);
}
std::string lastError() {
    const char* message = dlerror();
    return message != nullptr ? message : "unknown error";
}
#endif

}  // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::load(const std::string& path, Binding binding) {
    void* handle = openLibrary(path, binding);
    if (handle == nullptr) {
        throw HostError("cannot load " + path + ": " + lastError());
    }
    std::unique_ptr<PluginLibrary> library(new PluginLibrary(handle, path));
    library->describe =
        reinterpret_cast<GetModulePropertiesEntry>(library->symbol("getModuleProperties"));
    library->make = reinterpret_cast<MakeModuleEntry>(library->symbol("makeModule"));
    if (library->describe == nullptr) {
        throw HostError(path + " is not a plug-in: it does not export getModuleProperties");
    }
    if (library->make == nullptr) {
        throw HostError(path + " is not a plug-in: it does not export makeModule");
    }
    return library;
}

PluginLibrary::PluginLibrary(void* libraryHandle, std::string path)
    : handle(libraryHandle), libraryPath(std::move(path)) {}

PluginLibrary::~PluginLibrary() {
    closeLibrary(handle);
}

void* PluginLibrary::symbol(const char* name) const noexcept {
    return findSymbol(handle, name);
}

}  // namespace qnhost
