// What DK_1BPShaper tells the host about itself, and how it creates its module.
#include "module.h"
#include "plugin_definition.h"

namespace {

constexpr qn::plugin::ModuleTexts kTexts{
    "ZE 1ZADididu", "DK_1BPShaper",
    "Shaper with 1 breakpoints\nversion 1.0\nby Brenwick\n\nhttps://qn-shapers.example.org"};

}  // namespace

const qn::plugin::ModuleTexts& qn::plugin::moduleTexts() noexcept {
    return kTexts;
}

QNModule_base* qn::plugin::createModule(HostCallback callback, void* hostHandle) noexcept {
    return createInstance<dk::one_breakpoint::Module>(callback, hostHandle);
}
