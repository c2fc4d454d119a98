// The module-side object of one pin slot: its plug state, where its value lives, and the
// per-pin host requests, sent with the pin's own slot number.
#pragma once

#include <cstdint>

#include "pin_properties.h"

class QNModule_base;

class QNPin {
  public:
    // An unbound slot: no module, no variable, idle. open binds the slots it reaches.
    QNPin() noexcept = default;
    QNPin(const QNPin&) = delete;
    QNPin& operator=(const QNPin&) = delete;
    virtual ~QNPin();

    // Binds the slot. A pin without a module variable gets a value slot of its own by datatype
    // (a sampleStream pin asks the host for its block address once, here).
    void init(QNModule_base* module, int32_t index, PinDatatype datatype, void* variable);

    PlugState getStatus() const noexcept { return status; }
    // Stores the state and tells the module; oneShot lasts only for that notification.
    void setStatus(PlugState state);

    // hostPinStatus with value = state and ptr = sampleClock; the pin's own status is unchanged.
    intptr_t transmitStatus(int32_t sampleClock, PlugState state);
    // hostPinSend with ptr = first and value = second.
    intptr_t send(intptr_t first, int32_t second);
    // hostPinQuery; true when the host answers nonzero.
    bool query();
    // The sample of the pin's block at the host's current clock (for sampleStream pins).
    float valueAtCurrentSample();

    QNModule_base* getModule() const noexcept { return module; }
    int32_t getIndex() const noexcept { return index; }
    PinDatatype getDatatype() const noexcept { return datatype; }
    void* getVariable() const noexcept { return variable; }
    bool isBound() const noexcept { return module != nullptr; }
    // The pin's own value slot, for pins without a module variable.
    const void* getStorage() const noexcept { return &storage; }

  private:
    void* variable = nullptr;
    QNModule_base* module = nullptr;
    int32_t index = -1;
    PlugState status = idle;
    PinDatatype datatype = -1;
    union Storage {
        int16_t int16;
        uint8_t byte;
        float* block;
        float real;
        int32_t int32;
        uint32_t word;
    } storage{};
};
