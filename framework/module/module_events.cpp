// Events: delivered by the host through eventEntry, queued by the module with hostAddEvent.
#include <cstring>

#include "QNModule_base.h"

void QNModule_base::handleEvent(const EventRecord* event) {
    if (event == nullptr) {
        return;
    }
    switch (event->type) {
        case eventPinStatus: {
            // Status events for slots the instance does not have (or before open) are ignored.
            if (event->extra < 0 || event->extra >= pins.size()) {
                return;
            }
            QNPin& pin = getPin(static_cast<int32_t>(event->extra));
            if (pin.isBound()) {
                pin.setStatus(event->value);
            }
            return;
        }
        case eventType2:
            handleEventType2(event->timeStamp, event->value,
                             static_cast<int16_t>(static_cast<uint16_t>(event->shortValue)));
            return;
        case eventCall: {
            // The entry is one the module queued itself; adjustment 0 means the object itself.
            auto entry = reinterpret_cast<PlugCallEntry>(event->extra);
            if (entry != nullptr) {
                entry(this);
            }
            return;
        }
        default:
            return;
    }
}

intptr_t QNModule_base::addEvent(int32_t timeStamp, int32_t type, int32_t value, int32_t shortValue,
                                 intptr_t extra) {
    // Cleared as a whole first: on 64-bit targets the record has padding, and the host copies
    // every byte of it, which must not carry leftovers of this stack frame.
    EventRecord record;
    std::memset(&record, 0, sizeof record);
    record.timeStamp = timeStamp;
    record.type = type;
    record.value = value;
    record.shortValue = shortValue;
    record.extra = extra;
    return callHost(hostAddEvent, 0, 0, &record);
}

intptr_t QNModule_base::scheduleCall(int32_t timeStamp, CallDescriptor descriptor) {
    return addEvent(timeStamp, eventCall, 0, 0, reinterpret_cast<intptr_t>(descriptor.entry));
}
