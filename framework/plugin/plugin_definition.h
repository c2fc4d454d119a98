// What a plug-in library adds to the shared boundary code: its module's texts and a way to
// create its module. The exports getModuleProperties and makeModule are defined once, in the
// framework, and call these two functions, which each plug-in defines exactly once.
#pragma once

#include <new>

#include "host_callback.h"

class QNModule_base;

namespace qn::plugin {

struct ModuleTexts {
    const char* name;
    const char* id;
    const char* about;
};

// The texts getModuleProperties hands out for module index 0; constant data of the library.
const ModuleTexts& moduleTexts() noexcept;

// Creates the library's module with the host's callback and handle; null when memory runs out.
QNModule_base* createModule(HostCallback callback, void* hostHandle) noexcept;

// The usual body of createModule.
template <class Module>
QNModule_base* createInstance(HostCallback callback, void* hostHandle) noexcept {
    try {
        return new (std::nothrow) Module(callback, hostHandle);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace qn::plugin
