// QNGuiPin: a GUI object's handle on one of the module's pins. It holds no value of its own;
// every read asks the host again, and every access goes through the owning GUI object's
// request channel with the pin's index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "../plugin/qn_platform.h"

class QNGUI_base;

class QNGuiPin {
  public:
    // Layout is part of the boundary: pinIndex first, then the (not owned) GUI object.
    constexpr QNGuiPin(int32_t index, QNGUI_base* owner) noexcept : pinIndex(index), gui(owner) {
        QN_ASSERT_SIZE(QNGuiPin, 8, 16);
        QN_ASSERT_FIELD(QNGuiPin, pinIndex, 0, 0);
        QN_ASSERT_FIELD(QNGuiPin, gui, 4, 8);
    }

    int32_t getIndex() const noexcept { return pinIndex; }
    QNGUI_base* getGui() const noexcept { return gui; }

    // guiHostSetPinText; the host sees the NUL-terminated characters of `text`.
    void setValueText(const std::string& text) const;
    // guiHostGetPinText; a copy of the host's text, empty when the host answers null.
    std::string getValueText() const;
    // guiHostGetPinValue with a 4-byte variable the host fills.
    int32_t getValueInt() const;
    float getValueFloat() const;
    // guiHostSetPinValue: the integer travels in value, the float in opt, 0 in the other.
    void setValueInt(int32_t value) const;
    void setValueFloat(float value) const;
    // guiHostGetPinWideText twice: length (counting the NUL) first, then the fill. A first
    // answer of 0 gives an empty text without a second request; a negative one throws
    // std::bad_alloc. Never more than the announced length is read back.
    std::u16string getValueWideText() const;

  private:
    int32_t pinIndex;
    QNGUI_base* gui;
};
