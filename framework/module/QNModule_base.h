// QNModule_base: the base of every module's processing object. It owns the instance's side of
// the host contract: the embedded PlugRecord the host drives it through, the host callback,
// sample rate and block size, the pins, and the current process function. Each dispatcher
// opcode becomes one virtual call; a module overrides what it needs, and the defaults do
// nothing or answer false.
#pragma once

#include <cstdint>
#include <memory>

#include "../plugin/host_callback.h"
#include "QNPin.h"
#include "call_descriptor.h"
#include "event_record.h"
#include "pin_properties.h"
#include "plug_record.h"

// The pin slots of an instance: one block allocated at open, released with the instance.
class QNPinArray {
  public:
    QNPinArray() noexcept = default;
    // Allocates `count` unbound slots; false (and empty) when memory runs out.
    bool allocate(int32_t count) noexcept;
    void release() noexcept;
    int32_t size() const noexcept { return count; }
    QNPin& operator[](int32_t index) noexcept { return slots[index]; }
    QNPin* data() noexcept { return slots.get(); }

  private:
    std::unique_ptr<QNPin[]> slots;
    int32_t count = 0;
};

class QNModule_base {
  public:
    // Stores the callback (may be null) and fills the record; makes no host request.
    QNModule_base(HostCallback callback, void* hostHandle) noexcept;
    QNModule_base(const QNModule_base&) = delete;
    QNModule_base& operator=(const QNModule_base&) = delete;

    // Virtual operations, in the order of their slots.
    virtual ~QNModule_base();
    // A pin's plug state was just set (status event); the pin names which.
    virtual void onPlugStateChange(QNPin& pin);
    // Acts on eventPinStatus, eventType2 and eventCall at once; ignores every other type.
    virtual void handleEvent(const EventRecord* event);
    // The dispatcher opcode table; opcodes outside it answer 0.
    virtual intptr_t dispatch(int32_t opcode, int32_t index, int32_t value, void* ptr, float opt);
    // Builds the pins from the host's pin count and the descriptions. Overrides call it first.
    virtual void open();
    // Runs for plugClose, before the instance is deleted.
    virtual void close();
    virtual void spareHook(int32_t first, int32_t second);
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(int32_t size);
    virtual float getSampleRate();
    virtual int32_t getBlockSize();
    // Describes pin `index` by writing the fields the module uses; false, writing nothing, for
    // an index it does not describe (negative ones included).
    virtual bool getPinProperties(int32_t index, PinProperties* properties);
    virtual bool spareQueryA(int32_t value);
    virtual bool spareQueryB(int32_t value);
    virtual void onCommand8();
    virtual void onCommand8Index(int32_t index);
    virtual void handleEventType2(int32_t timeStamp, int32_t value, int16_t shortValue);
    virtual void onCommand12(int32_t value, int32_t index, void* ptr);

    // The one path to the host: 0 without a callback, otherwise the host's answer unchanged.
    intptr_t callHost(int32_t request, int32_t index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    int32_t getSampleClock();

    // Installs a process function; tells the host only when it differs from the current one.
    void setProcessFunction(CallDescriptor descriptor);
    CallDescriptor getProcessFunction() const noexcept { return processFunction; }
    PlugRecord* getPlugRecord() noexcept { return &plugRecord; }
    const PlugRecord* getPlugRecord() const noexcept { return &plugRecord; }

    // Clears the record, then asks getPinProperties.
    bool fetchPinProperties(int32_t index, PinProperties* properties);
    // Slot `index` of the pin array; valid after open for 0 to getPinCount() - 1.
    QNPin& getPin(int32_t index) noexcept { return pins[index]; }
    // Number of slots open built (the host's pin count), 0 before open.
    int32_t getPinCount() const noexcept { return pins.size(); }
    bool hasPin(int32_t index) const noexcept { return index >= 0 && index < pins.size(); }

    // Queues an event with the host (hostAddEvent) and answers the host's answer.
    intptr_t addEvent(int32_t timeStamp, int32_t type, int32_t value, int32_t shortValue,
                      intptr_t extra);
    // Queues an eventCall carrying the descriptor's entry; it comes back through handleEvent.
    intptr_t scheduleCall(int32_t timeStamp, CallDescriptor descriptor);

    // The module behind the `object` word the host passes to the process and event entries.
    static QNModule_base* fromObject(void* object) noexcept {
        return static_cast<QNModule_base*>(object);
    }

  private:
    void buildPins();

    HostCallback hostCallback;
    PlugRecord plugRecord;
    float sampleRate;
    int32_t blockSize;
    QNPinArray pins;
    CallDescriptor processFunction;
};

extern "C" {
// The record's entries. emptyProcess does nothing; the host may call it before open.
void QN_CDECL emptyProcess(void* object, int32_t bufferOffset, int32_t sampleCount);
intptr_t QN_CDECL dispatcherEntry(PlugRecord* record, int32_t opcode, int32_t index, int32_t value,
                                  void* ptr, float opt);
void QN_CDECL eventEntry(void* object, const EventRecord* event);
}
