#include "QNGuiPin.h"

#include <memory>
#include <new>
#include <string_view>

#include "QNGUI_base.h"

void QNGuiPin::setValueText(const std::string& text) const {
    gui->callHost(guiHostSetPinText, pinIndex, 0, const_cast<char*>(text.c_str()), 0.0f);
}

std::string QNGuiPin::getValueText() const {
    const intptr_t answer = gui->callHost(guiHostGetPinText, pinIndex, 0, nullptr, 0.0f);
    const char* text = reinterpret_cast<const char*>(answer);
    // A host without a text for the pin gets an empty string rather than a crash.
    return text == nullptr ? std::string() : std::string(text);
}

int32_t QNGuiPin::getValueInt() const {
    int32_t value = 0;
    gui->callHost(guiHostGetPinValue, pinIndex, 0, &value, 0.0f);
    return value;
}

float QNGuiPin::getValueFloat() const {
    float value = 0.0f;
    gui->callHost(guiHostGetPinValue, pinIndex, 0, &value, 0.0f);
    return value;
}

void QNGuiPin::setValueInt(int32_t value) const {
    gui->callHost(guiHostSetPinValue, pinIndex, value, nullptr, 0.0f);
}

void QNGuiPin::setValueFloat(float value) const {
    gui->callHost(guiHostSetPinValue, pinIndex, 0, nullptr, value);
}

std::u16string QNGuiPin::getValueWideText() const {
    // The length is a 32-bit count: only the answer's low 32 bits are read.
    const auto length =
        static_cast<int32_t>(gui->callHost(guiHostGetPinWideText, pinIndex, 0, nullptr, 0.0f));
    if (length < 0) {
        throw std::bad_alloc();  // callers rely on the allocation failure a bad length causes
    }
    if (length == 0) {
        return std::u16string();  // no room even for the NUL: nothing to ask for
    }
    // Zero-filled, so a host that writes nothing yields an empty text.
    const std::unique_ptr<char16_t[]> buffer(new char16_t[static_cast<size_t>(length)]());
    gui->callHost(guiHostGetPinWideText, pinIndex, length, buffer.get(), 0.0f);
    std::u16string_view filled(buffer.get(), static_cast<size_t>(length));
    filled = filled.substr(0, filled.find(u'\0'));
    return std::u16string(filled);
}
