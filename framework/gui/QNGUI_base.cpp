#include "QNGUI_base.h"

#include <bit>
#include <cstring>

namespace {

// The one handle getPin hands out, shared by every GUI object of the library.
QNGuiPin libraryPin{0, nullptr};

}  // namespace

QNGUI_base::QNGUI_base(GuiHostCallback callback, void* hostHandle) noexcept
    : hostCallback(callback), guiPlugRecord() {
    std::memset(&guiPlugRecord, 0, sizeof guiPlugRecord);
    guiPlugRecord.magic = QN_GUI_MAGIC;
    guiPlugRecord.dispatcher = &guiDispatcherEntry;
    guiPlugRecord.object = this;
    guiPlugRecord.hostHandle = hostHandle;
    guiPlugRecord.version = QN_GUI_VERSION;
}

QNGUI_base::~QNGUI_base() = default;

int32_t QNGUI_base::dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt) {
    const GuiIndexValue pair{index, value};
    switch (static_cast<uint32_t>(opcode)) {
        case guiCommand0:
            onGuiCommand0(index == 1);
            return 0;
        case guiClose:
            close();
            delete this;  // nothing of the object is touched after this
            return 1;
        case guiCommand2:
            onGuiCommand2(index, ptr);
            return 0;
        case guiCommand3:
            onGuiCommand3(ptr, std::bit_cast<uint32_t>(opt), pair);
            return 0;
        case guiCommand4:
            onGuiCommand4(ptr, std::bit_cast<uint32_t>(opt), pair);
            return 0;
        case guiCommand5:
            onGuiCommand5(ptr, std::bit_cast<uint32_t>(opt), pair);
            return 0;
        case guiCommand6:
            onGuiCommand6(value, index, ptr);
            return 0;
        case guiCommand7: {
            QNGuiPin pin(index, this);
            onGuiCommand7(&pin);
            return 0;
        }
        case guiCommand8:
            onGuiCommand8(ptr);
            return 0;
        case guiCommand9:
            onGuiCommand9(ptr);
            return 0;
        case guiCommand10:
            return onGuiCommand10() ? 1 : 0;
        case guiCommand11:
            onGuiCommand11(index);
            return 0;
        case guiCommand12:
            onGuiCommand12(index);
            return 0;
        default:
            return 0;
    }
}

void QNGUI_base::onGuiCommand0(bool /*flag*/) {}
void QNGUI_base::close() {}
void QNGUI_base::onGuiCommand2(int32_t /*index*/, void* /*ptr*/) {}
void QNGUI_base::onGuiCommand3(void* /*ptr*/, uint32_t /*word*/, GuiIndexValue /*pair*/) {}
void QNGUI_base::onGuiCommand4(void* /*ptr*/, uint32_t /*word*/, GuiIndexValue /*pair*/) {}
void QNGUI_base::onGuiCommand5(void* /*ptr*/, uint32_t /*word*/, GuiIndexValue /*pair*/) {}
void QNGUI_base::onGuiCommand8(void* /*ptr*/) {}
void QNGUI_base::onGuiCommand9(void* /*ptr*/) {}
bool QNGUI_base::onGuiCommand10() {
    return false;
}
void QNGUI_base::onGuiCommand11(int32_t /*index*/) {}
void QNGUI_base::onGuiCommand12(int32_t /*index*/) {}
void QNGUI_base::onGuiCommand6(int32_t /*value*/, int32_t /*index*/, void* /*ptr*/) {}
void QNGUI_base::onGuiCommand7(QNGuiPin* /*pin*/) {}

intptr_t QNGUI_base::callHost(int32_t request, int32_t index, int32_t value, void* ptr, float opt) {
    return hostCallback(&guiPlugRecord, request, index, value, ptr, opt);
}

void QNGUI_base::sendCommand8(int32_t index, int32_t value, void* ptr) {
    callHost(guiHostCommand8, index, value, ptr, 0.0f);
}

void QNGUI_base::sendCommand18(void* ptr) {
    callHost(guiHostCommand18, 0, 0, ptr, 0.0f);
}

void QNGUI_base::sendCommand19(void* ptr) {
    callHost(guiHostCommand19, 0, 0, ptr, 0.0f);
}

bool QNGUI_base::queryCommand20(void* ptr) {
    return callHost(guiHostQuery20, 0, 0, ptr, 0.0f) != 0;
}

QNGuiPin* QNGUI_base::getPin(int32_t index) noexcept {
    libraryPin = QNGuiPin(index, this);
    return &libraryPin;
}
