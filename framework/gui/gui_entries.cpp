// The C entry of every GuiPlugRecord. It recovers the GUI object and makes one virtual call;
// nothing thrown by GUI code crosses into the host.
#include "QNGUI_base.h"

extern "C" {

QN_ENTRY_ALIGN int32_t QN_CDECL guiDispatcherEntry(GuiPlugRecord* record, int32_t opcode,
                                                   int32_t index, int32_t value, void* ptr,
                                                   float opt) {
    if (record == nullptr || record->object == nullptr) {
        return 0;
    }
    try {
        return QNGUI_base::fromObject(record->object)->dispatch(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
