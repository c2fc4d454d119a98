/*
 * PlugRecord: the record embedded in every module instance; its address is the instance's
 * identity towards the host. Also the dispatcher opcodes, CallDescriptor and ProcessInfo.
 *
 * PlugRecord, 32-bit layout:       64-bit layout (addresses widen, natural alignment):
 *   0 magic 'QNPL'  4                0 magic          4
 *   4 version = 1   4                4 version        4
 *   8 hostHandle    4                8 hostHandle     8
 *  12 object        4               16 object         8
 *  16 reserved16    4               24 reserved16     4  (+4 padding)
 *  20 dispatcher    4               32 dispatcher     8
 *  24 process       4               40 process        8
 *  28 eventHandler  4               48 eventHandler   8
 *  32 reserved32[4] 16              56 reserved32[4]  16
 *  size 48                          size 72
 *
 * CallDescriptor, 32-bit: entry 0, adjustment 4, reservedA 8, reservedB 12, size 16;
 *                 64-bit: entry 0 (8), adjustment 8, reservedA 12, reservedB 16, size 24.
 * ProcessInfo,    32-bit: structVersion 0, descriptorSize 4, processFunction 8, reserved 12,
 *                 size 16; 64-bit: 0, 4, 8 (8 bytes), 16, size 24. descriptorSize is
 *                 always 16, the descriptor's size in the host's 32-bit layout, which
 *                 hosts compare against; on 64-bit targets the record itself is 24 bytes.
 */
#ifndef QN_MODULE_PLUG_RECORD_H
#define QN_MODULE_PLUG_RECORD_H

#include "../plugin/qn_platform.h"
#include "event_record.h"

QN_EXTERN_C_BEGIN

#define QN_PLUG_MAGIC 0x514E504C /* 'QNPL': bytes 4C 50 4E 51 in memory */
#define QN_PLUG_VERSION 1
#define QN_CALL_DESCRIPTOR_SIZE 16 /* ProcessInfo.descriptorSize on every target */

struct PlugRecord;

/*
 * Dispatcher entry: the host sends every command through it, with the record's address.
 * Never runs at the same time as another entry of the same instance.
 */
typedef intptr_t(QN_CDECL* PlugDispatcherEntry)(struct PlugRecord* record, int32_t opcode,
                                                int32_t index, int32_t value, void* ptr, float opt);

/*
 * Process entry: the host passes the record's `object` and asks for sampleCount samples from
 * sample bufferOffset of every pin block. The host rereads the record's `process` word before
 * every call; it changes only inside the module's own calls (announced by hostProcessChanged).
 */
typedef void(QN_CDECL* PlugProcessEntry)(void* object, int32_t bufferOffset, int32_t sampleCount);

/* Event entry: the host passes the record's `object` and one event record, which it owns. */
typedef void(QN_CDECL* PlugEventEntry)(void* object, const EventRecord* event);

/* A parameterless operation of a module, queued as an eventCall; called with the object. */
typedef void(QN_CDECL* PlugCallEntry)(void* object);

typedef struct PlugRecord {
    int32_t magic;
    int32_t version;
    void* hostHandle; /* makeModule's fourth argument, unchanged */
    void* object;     /* the module object; passed back to the process and event entries */
    int32_t reserved16;
    PlugDispatcherEntry dispatcher;
    PlugProcessEntry process;
    PlugEventEntry eventHandler;
    int32_t reserved32[4];
} PlugRecord;

QN_ASSERT_SIZE(PlugRecord, 48, 72);
QN_ASSERT_FIELD(PlugRecord, magic, 0, 0);
QN_ASSERT_FIELD(PlugRecord, version, 4, 4);
QN_ASSERT_FIELD(PlugRecord, hostHandle, 8, 8);
QN_ASSERT_FIELD(PlugRecord, object, 12, 16);
QN_ASSERT_FIELD(PlugRecord, reserved16, 16, 24);
QN_ASSERT_FIELD(PlugRecord, dispatcher, 20, 32);
QN_ASSERT_FIELD(PlugRecord, process, 24, 40);
QN_ASSERT_FIELD(PlugRecord, eventHandler, 28, 48);
QN_ASSERT_FIELD(PlugRecord, reserved32, 32, 56);

/* Dispatcher opcodes (PlugOpcode). Compared as unsigned; any other value answers 0. */
enum PlugOpcode {
    plugOpen = 0,             /* builds the pins and installs the process function; 0 */
    plugClose = 1,            /* closes and deletes the instance; answers 1 */
    plugSetSampleRate = 2,    /* rate in opt */
    plugSetBlockSize = 3,     /* size in value */
    plugGetPinProperties = 6, /* index, ptr PinProperties; 1 when described, else 0 */
    plugCommand8 = 8,
    plugCommand12 = 12,
    plugGetProcessInfo = 13 /* answers the address of the library-wide ProcessInfo */
};

/*
 * A function the framework calls on a module object. Two descriptors are equal when their
 * entries are equal and, unless the entry is null, the other three words are equal too.
 * For a process function `entry` is a PlugProcessEntry; for a scheduled call it holds a
 * PlugCallEntry.
 */
typedef struct CallDescriptor {
    PlugProcessEntry entry;
    int32_t adjustment; /* added to the object's address when the framework calls `entry` */
    int32_t reservedA;  /* carried and compared, never interpreted */
    int32_t reservedB;  /* carried and compared, never interpreted */
} CallDescriptor;

QN_ASSERT_SIZE(CallDescriptor, 16, 24);
QN_ASSERT_FIELD(CallDescriptor, entry, 0, 0);
QN_ASSERT_FIELD(CallDescriptor, adjustment, 4, 8);
QN_ASSERT_FIELD(CallDescriptor, reservedA, 8, 12);
QN_ASSERT_FIELD(CallDescriptor, reservedB, 12, 16);

/*
 * Library-wide record answered for plugGetProcessInfo. Each such opcode, to any instance,
 * rewrites it; a host reads it before sending the opcode again.
 */
typedef struct ProcessInfo {
    int32_t structVersion;           /* 1 */
    int32_t descriptorSize;          /* QN_CALL_DESCRIPTOR_SIZE */
    CallDescriptor* processFunction; /* the asking instance's current process function */
    int32_t reserved;                /* 0 */
} ProcessInfo;

QN_ASSERT_SIZE(ProcessInfo, 16, 24);
QN_ASSERT_FIELD(ProcessInfo, structVersion, 0, 0);
QN_ASSERT_FIELD(ProcessInfo, descriptorSize, 4, 4);
QN_ASSERT_FIELD(ProcessInfo, processFunction, 8, 8);
QN_ASSERT_FIELD(ProcessInfo, reserved, 12, 16);

QN_EXTERN_C_END

#endif /* QN_MODULE_PLUG_RECORD_H */
