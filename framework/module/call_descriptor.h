// Equality and construction helpers for CallDescriptor, and the trampolines that turn a member
// function of a module class into the C entry a descriptor holds.
#pragma once

#include <cstdint>

#include "plug_record.h"

class QNModule_base;

namespace qn {

// Equal when the entries are equal and, unless the entry is null, the other words too.
constexpr bool sameCall(const CallDescriptor& a, const CallDescriptor& b) noexcept {
    if (a.entry != b.entry) {
        return false;
    }
    return a.entry == nullptr || (a.adjustment == b.adjustment && a.reservedA == b.reservedA &&
                                  a.reservedB == b.reservedB);
}

// The empty descriptor: (null, 0, 0, -1).
constexpr CallDescriptor emptyCall() noexcept {
    return CallDescriptor{nullptr, 0, 0, -1};
}

// A descriptor made from a bare call entry: (entry, 0, 0, -1).
inline CallDescriptor callFromEntry(PlugCallEntry entry) noexcept {
    // Through the generic function type, which converts to and from every other one.
    auto generic = reinterpret_cast<void (*)()>(entry);
    return CallDescriptor{reinterpret_cast<PlugProcessEntry>(generic), 0, 0, -1};
}

// The process entry of a member function `Fn` of module class `Module`: the host passes the
// record's object, which is the QNModule_base part of the module.
template <class Module, void (Module::*Fn)(int32_t, int32_t)>
QN_ENTRY_ALIGN void QN_CDECL processEntry(void* object, int32_t bufferOffset,
                                          int32_t sampleCount) noexcept {
    auto* module = static_cast<Module*>(static_cast<QNModule_base*>(object));
    try {
        (module->*Fn)(bufferOffset, sampleCount);
    } catch (...) {
        // Nothing may escape into the host; a failed run leaves its output as it was.
    }
}

// Every process function the system installs is described as (entry, 0, 0, 0).
template <class Module, void (Module::*Fn)(int32_t, int32_t)>
constexpr CallDescriptor processFunction() noexcept {
    return CallDescriptor{&processEntry<Module, Fn>, 0, 0, 0};
}

// The call entry of a parameterless member function, for scheduleCall.
template <class Module, void (Module::*Fn)()>
QN_ENTRY_ALIGN void QN_CDECL callEntry(void* object) noexcept {
    auto* module = static_cast<Module*>(static_cast<QNModule_base*>(object));
    try {
        (module->*Fn)();
    } catch (...) {
        // Nothing may escape into the host.
    }
}

template <class Module, void (Module::*Fn)()>
CallDescriptor scheduledCall() noexcept {
    return callFromEntry(&callEntry<Module, Fn>);
}

}  // namespace qn
