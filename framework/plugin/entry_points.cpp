// The two exports of every plug-in library. Linked into each plug-in as an object file, so
// that every library carries its own copy and exports exactly these two names.
#include "../module/QNModule_base.h"
#include "module_properties.h"
#include "plugin_definition.h"

extern "C" {

QN_EXPORT QN_ENTRY_ALIGN int32_t QN_CDECL getModuleProperties(int32_t index,
                                                              ModuleProperties* properties) {
    if (properties == nullptr) {
        return 0;
    }
    properties->frameworkVersion = QN_FRAMEWORK_VERSION;
    if (index != 0) {
        return 0;
    }
    const qn::plugin::ModuleTexts& texts = qn::plugin::moduleTexts();
    properties->name = texts.name;
    properties->id = texts.id;
    properties->about = texts.about;
    return 1;
}

QN_EXPORT QN_ENTRY_ALIGN PlugRecord* QN_CDECL makeModule(int32_t index, int32_t objectKind,
                                                         HostCallback callback, void* hostHandle) {
    if (index != 0 || objectKind != QN_OBJECT_KIND_MODULE) {
        return nullptr;
    }
    QNModule_base* module = qn::plugin::createModule(callback, hostHandle);
    return module != nullptr ? module->getPlugRecord() : nullptr;
}

}  // extern "C"

#if defined(_WIN32)
#include <windows.h>
// The load/unload notification does no work of its own.
extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD /*reason*/, LPVOID /*reserved*/) {
    return TRUE;
}
#endif
