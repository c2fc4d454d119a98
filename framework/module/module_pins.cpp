// Building the pin slots of an instance from the host's pin count and the descriptions.
#include <cstring>
#include <new>

#include "QNModule_base.h"

bool QNPinArray::allocate(int32_t size) noexcept {
    release();
    if (size <= 0) {
        return true;
    }
    slots.reset(new (std::nothrow) QNPin[static_cast<size_t>(size)]);
    if (!slots) {
        return false;
    }
    count = size;
    return true;
}

void QNPinArray::release() noexcept {
    slots.reset();
    count = 0;
}

bool QNModule_base::fetchPinProperties(int32_t index, PinProperties* properties) {
    std::memset(properties, 0, sizeof *properties);
    return getPinProperties(index, properties);
}

void QNModule_base::open() {
    buildPins();
}

void QNModule_base::buildPins() {
    // A second open builds the pins afresh instead of leaking the first array.
    pins.release();
    const auto pinCount = static_cast<int32_t>(static_cast<uint32_t>(callHost(hostPinCount)));
    if (!pins.allocate(pinCount)) {
        return;  // out of memory: the instance runs without pins
    }

    PinProperties description;
    int32_t descriptionIndex = 0;
    int32_t slot = 0;
    for (;;) {
        if (!fetchPinProperties(descriptionIndex, &description)) {
            break;
        }
        if (slot >= pinCount) {
            break;
        }
        if (pinTakesSlot(description.flags)) {
            pins[slot].init(this, slot, description.datatype, description.variable);
            ++slot;
        }
        ++descriptionIndex;
    }

    // The last description looked at decides what the leftover slots become; with none
    // looked at this asks for index -1, which a module refuses.
    fetchPinProperties(descriptionIndex - 1, &description);
    if (!pinTakesSlot(description.flags)) {
        return;
    }
    if ((description.flags & pinRepeatLast) != 0) {
        for (; slot < pinCount; ++slot) {
            pins[slot].init(this, slot, description.datatype, nullptr);
        }
    }
}
