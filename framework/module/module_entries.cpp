// The three C entries of every PlugRecord. Each recovers the object and makes one virtual
// call; nothing thrown by module code crosses into the host.
#include "QNModule_base.h"

extern "C" {

QN_ENTRY_ALIGN void QN_CDECL emptyProcess(void* /*object*/, int32_t /*bufferOffset*/,
                                          int32_t /*sampleCount*/) {}

QN_ENTRY_ALIGN intptr_t QN_CDECL dispatcherEntry(PlugRecord* record, int32_t opcode, int32_t index,
                                                 int32_t value, void* ptr, float opt) {
    if (record == nullptr || record->object == nullptr) {
        return 0;
    }
    try {
        return QNModule_base::fromObject(record->object)->dispatch(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

QN_ENTRY_ALIGN void QN_CDECL eventEntry(void* object, const EventRecord* event) {
    if (object == nullptr) {
        return;
    }
    try {
        QNModule_base::fromObject(object)->handleEvent(event);
    } catch (...) {
        // swallowed: the host must never see a module's exception
    }
}

}  // extern "C"
