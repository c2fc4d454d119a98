// What DK_2BPShaper tells the host about itself, and how it creates its module.
#include "module.h"
#include "plugin_definition.h"

namespace {

constexpr qn::plugin::ModuleTexts kTexts{
    "VA 2DOZarivi", "DK_2BPShaper",
    "Shaper with 2 breakpoints\nversion 1.0\nby Brenwick\n\nhttps://qn-shapers.example.org"};

}  // namespace

const qn::plugin::ModuleTexts& qn::plugin::moduleTexts() noexcept {
    return kTexts;
}

QNModule_base* qn::plugin::createModule(HostCallback callback, void* hostHandle) noexcept {
    return createInstance<dk::two_breakpoint::Module>(callback, hostHandle);
}
