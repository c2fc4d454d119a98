#include "QNModule_base.h"

#include <cstring>

namespace {

// One record for the whole library, rewritten by every plugGetProcessInfo.
ProcessInfo libraryProcessInfo{};

constexpr float kDefaultSampleRate = 44100.0f;
constexpr int32_t kDefaultBlockSize = 1024;

}  // namespace

QNModule_base::QNModule_base(HostCallback callback, void* hostHandle) noexcept
    : hostCallback(callback),
      plugRecord(),
      sampleRate(kDefaultSampleRate),
      blockSize(kDefaultBlockSize),
      processFunction{&emptyProcess, 0, 0, 0} {
    std::memset(&plugRecord, 0, sizeof plugRecord);
    plugRecord.magic = QN_PLUG_MAGIC;
    plugRecord.process = &emptyProcess;
    plugRecord.eventHandler = &eventEntry;
    plugRecord.dispatcher = &dispatcherEntry;
    plugRecord.hostHandle = hostHandle;
    plugRecord.object = this;
    plugRecord.version = QN_PLUG_VERSION;
}

QNModule_base::~QNModule_base() {
    pins.release();
}

void QNModule_base::onPlugStateChange(QNPin& /*pin*/) {}

intptr_t QNModule_base::dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr,
                                 float opt) {
    switch (static_cast<uint32_t>(opcode)) {
        case plugOpen:
            open();
            return 0;
        case plugClose:
            close();
            delete this;  // nothing of the object is touched after this
            return 1;
        case plugSetSampleRate:
            setSampleRate(opt);
            return 0;
        case plugSetBlockSize:
            setBlockSize(value);
            return 0;
        case plugGetPinProperties:
            // A host that passes no record gets "not described" rather than a crash.
            if (ptr == nullptr) {
                return 0;
            }
            return getPinProperties(index, static_cast<PinProperties*>(ptr)) ? 1 : 0;
        case plugCommand8:
            onCommand8();
            if (index > 0) {
                onCommand8Index(index);
            }
            return 0;
        case plugCommand12:
            onCommand12(value, index, ptr);
            return 0;
        case plugGetProcessInfo:
            libraryProcessInfo.structVersion = 1;
            libraryProcessInfo.descriptorSize = QN_CALL_DESCRIPTOR_SIZE;
            libraryProcessInfo.processFunction = &processFunction;
            libraryProcessInfo.reserved = 0;
            return reinterpret_cast<intptr_t>(&libraryProcessInfo);
        default:
            return 0;
    }
}

void QNModule_base::close() {}
void QNModule_base::spareHook(int32_t /*first*/, int32_t /*second*/) {}
void QNModule_base::setSampleRate(float rate) {
    sampleRate = rate;
}
void QNModule_base::setBlockSize(int32_t size) {
    blockSize = size;
}
float QNModule_base::getSampleRate() {
    return sampleRate;
}
int32_t QNModule_base::getBlockSize() {
    return blockSize;
}
bool QNModule_base::getPinProperties(int32_t /*index*/, PinProperties* /*properties*/) {
    return false;
}
bool QNModule_base::spareQueryA(int32_t /*value*/) {
    return false;
}
bool QNModule_base::spareQueryB(int32_t /*value*/) {
    return false;
}
void QNModule_base::onCommand8() {}
void QNModule_base::onCommand8Index(int32_t /*index*/) {}
void QNModule_base::handleEventType2(int32_t /*timeStamp*/, int32_t /*value*/,
                                     int16_t /*shortValue*/) {}
void QNModule_base::onCommand12(int32_t /*value*/, int32_t /*index*/, void* /*ptr*/) {}

intptr_t QNModule_base::callHost(int32_t request, int32_t index, int32_t value, void* ptr,
                                 float opt) {
    if (hostCallback == nullptr) {
        return 0;
    }
    return hostCallback(&plugRecord, request, index, value, ptr, opt);
}

int32_t QNModule_base::getSampleClock() {
    // The clock is a 32-bit count; only the low 32 bits of the answer carry it.
    return static_cast<int32_t>(static_cast<uint32_t>(callHost(hostSampleClock)));
}

void QNModule_base::setProcessFunction(CallDescriptor descriptor) {
    if (qn::sameCall(descriptor, processFunction)) {
        return;
    }
    processFunction = descriptor;
    plugRecord.process = descriptor.entry;  // the record changes before the host is told
    callHost(hostProcessChanged);
}
