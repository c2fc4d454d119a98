// QNGUI_base: the base of a module's user-interface half. The host drives it through the
// embedded GuiPlugRecord, whose dispatcher turns each opcode into one virtual call, and it asks
// the host for services through its own GuiHostCallback. A GUI class overrides the operations
// it needs; the defaults do nothing or answer false.
#pragma once

#include <cstdint>

#include "QNGuiPin.h"
#include "gui_plug_record.h"

class QNGUI_base {
  public:
    // Stores the callback, which must not be null, and fills the record; sends nothing.
    QNGUI_base(GuiHostCallback callback, void* hostHandle) noexcept;
    QNGUI_base(const QNGUI_base&) = delete;
    QNGUI_base& operator=(const QNGUI_base&) = delete;

    // Virtual operations, in the order of their slots. The slot order is not the opcode order.
    virtual ~QNGUI_base();
    // The opcode table; opcodes outside 0 to 12 (compared unsigned) answer 0.
    virtual int32_t dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt);
    virtual void onGuiCommand0(bool flag);
    // Runs for guiClose, before the object is deleted.
    virtual void close();
    virtual void onGuiCommand2(int32_t index, void* ptr);
    // `word` is the 32-bit pattern of the host's float, not its numeric value.
    virtual void onGuiCommand3(void* ptr, uint32_t word, GuiIndexValue pair);
    virtual void onGuiCommand4(void* ptr, uint32_t word, GuiIndexValue pair);
    virtual void onGuiCommand5(void* ptr, uint32_t word, GuiIndexValue pair);
    virtual void onGuiCommand8(void* ptr);
    virtual void onGuiCommand9(void* ptr);
    virtual bool onGuiCommand10();
    virtual void onGuiCommand11(int32_t index);
    virtual void onGuiCommand12(int32_t index);
    virtual void onGuiCommand6(int32_t value, int32_t index, void* ptr);
    // The handle lives only for the call; keep its fields, never its address.
    virtual void onGuiCommand7(QNGuiPin* pin);

    // The one path to the host: the host's answer, unchanged. On a 32-bit target that is the
    // 32-bit answer; on a 64-bit one it stays pointer-sized so that addresses survive.
    intptr_t callHost(int32_t request, int32_t index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);

    // guiHostCommand8 with the given index, value and ptr.
    void sendCommand8(int32_t index, int32_t value, void* ptr);
    // guiHostCommand18 and guiHostCommand19 with ptr only.
    void sendCommand18(void* ptr);
    void sendCommand19(void* ptr);
    // guiHostQuery20 with ptr only; true for any nonzero answer.
    bool queryCommand20(void* ptr);

    // The one pin handle of the whole library, set to (index, this object). Every call returns
    // the same address and overwrites what the previous call set, for whatever GUI object.
    QNGuiPin* getPin(int32_t index) noexcept;

    GuiPlugRecord* getGuiPlugRecord() noexcept { return &guiPlugRecord; }
    const GuiPlugRecord* getGuiPlugRecord() const noexcept { return &guiPlugRecord; }

    // The GUI object behind a record's `object` word.
    static QNGUI_base* fromObject(void* object) noexcept {
        return static_cast<QNGUI_base*>(object);
    }

  private:
    GuiHostCallback hostCallback;
    GuiPlugRecord guiPlugRecord;
};

extern "C" {
// The record's dispatcher entry. Nothing thrown by GUI code reaches the host: it answers 0.
int32_t QN_CDECL guiDispatcherEntry(GuiPlugRecord* record, int32_t opcode, int32_t index,
                                    int32_t value, void* ptr, float opt);
}
