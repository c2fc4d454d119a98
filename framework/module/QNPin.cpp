#include "QNPin.h"

#include "QNModule_base.h"

QNPin::~QNPin() = default;  // the block belongs to the host, the variable to the module

void QNPin::init(QNModule_base* owner, int32_t slot, PinDatatype type, void* moduleVariable) {
    module = owner;
    index = slot;
    datatype = type;
    variable = moduleVariable;
    status = idle;
    if (variable != nullptr) {
        storage.word = 0;
        return;
    }
    switch (type) {
        case int16Value:
            storage.int16 = 0;
            break;
        case byteValue:
            storage.byte = 0;
            break;
        case sampleStream:
            storage.block = reinterpret_cast<float*>(module->callHost(hostPinBuffer, index));
            break;
        case floatValue:
            storage.real = 0.0f;
            break;
        case int32Value:
            storage.int32 = 0;
            break;
        default:
            return;  // no storage for this datatype: variable stays null
    }
    variable = &storage;
}

void QNPin::setStatus(PlugState state) {
    status = state;
    module->onPlugStateChange(*this);
    if (state == oneShot) {
        status = idle;
    }
}

intptr_t QNPin::transmitStatus(int32_t sampleClock, PlugState state) {
    // The clock travels as an integer in ptr.
    auto* clock =
        reinterpret_cast<void*>(static_cast<uintptr_t>(static_cast<uint32_t>(sampleClock)));
    return module->callHost(hostPinStatus, index, state, clock);
}

intptr_t QNPin::send(intptr_t first, int32_t second) {
    return module->callHost(hostPinSend, index, second, reinterpret_cast<void*>(first));
}

bool QNPin::query() {
    return module->callHost(hostPinQuery, index) != 0;
}

float QNPin::valueAtCurrentSample() {
    const auto bufferClock = static_cast<uint32_t>(module->callHost(hostPinBufferClock, index));
    const auto clock = static_cast<uint32_t>(module->getSampleClock());
    const float* block = *static_cast<float* const*>(variable);
    return block[clock - bufferClock];  // modulo 2^32: right across a wrap of the clock
}
