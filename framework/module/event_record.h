/*
 * EventRecord: the event exchanged with the host in both directions.
 *
 * 32-bit layout:          64-bit layout (extra widens):
 *   0 timeStamp  4          0 timeStamp  4
 *   4 type       4          4 type       4
 *   8 value      4          8 value      4
 *  12 shortValue 4         12 shortValue 4
 *  16 extra      4         16 extra      8
 *  20 reserved   4         24 reserved   4
 *  size 24                 size 32
 *
 * The host delivers events through the record's eventHandler entry; a module queues events
 * with the hostAddEvent request, whose record the host copies before returning.
 */
#ifndef QN_MODULE_EVENT_RECORD_H
#define QN_MODULE_EVENT_RECORD_H

#include "../plugin/qn_platform.h"

QN_EXTERN_C_BEGIN

/* Event types (EventType) that have an effect; every other type is ignored. */
enum EventType {
    eventPinStatus = 0, /* value: new PlugState; extra: pin slot number */
    eventType2 = 2,     /* handed to handleEventType2 with the low 16 bits of shortValue */
    eventCall = 21      /* extra: entry of a parameterless operation the module queued */
};

typedef struct EventRecord {
    int32_t timeStamp;  /* 32-bit sample clock the event belongs to */
    int32_t type;       /* EventType */
    int32_t value;      /* for eventPinStatus the new PlugState */
    int32_t shortValue; /* only the low 16 bits are read */
    intptr_t extra;     /* pin slot, or the entry of a scheduled call */
    int32_t reserved;   /* 0 when the module writes it; never read */
} EventRecord;

QN_ASSERT_SIZE(EventRecord, 24, 32);
QN_ASSERT_FIELD(EventRecord, timeStamp, 0, 0);
QN_ASSERT_FIELD(EventRecord, type, 4, 4);
QN_ASSERT_FIELD(EventRecord, value, 8, 8);
QN_ASSERT_FIELD(EventRecord, shortValue, 12, 12);
QN_ASSERT_FIELD(EventRecord, extra, 16, 16);
QN_ASSERT_FIELD(EventRecord, reserved, 20, 24);

QN_EXTERN_C_END

#endif /* QN_MODULE_EVENT_RECORD_H */
