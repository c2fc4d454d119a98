/*
 * The host's single service function and the requests a module sends through it.
 *
 * Contract: the host passes its callback to makeModule; the module calls it only from inside
 * the host's own calls into that instance (dispatcher, process, event entries), always with
 * the address of the instance's PlugRecord first and opt = 0.0. Arguments a request does not
 * use are 0. The result is pointer-sized; for requests that answer a 32-bit count or clock
 * only its low 32 bits are read.
 */
#ifndef QN_PLUGIN_HOST_CALLBACK_H
#define QN_PLUGIN_HOST_CALLBACK_H

#include "qn_platform.h"

QN_EXTERN_C_BEGIN

struct PlugRecord;

typedef intptr_t(QN_CDECL* HostCallback)(struct PlugRecord* record, int32_t request, int32_t index,
                                         int32_t value, void* ptr, float opt);

/* Request codes (HostRequest). "pin" is the pin's slot number within the instance. */
enum HostRequest {
    hostPinStatus = 0,      /* index pin, value PlugState, ptr sample clock; result ignored */
    hostPinQuery = 1,       /* index pin; nonzero answer means true */
    hostSampleClock = 3,    /* answers the current 32-bit sample clock */
    hostPinSend = 4,        /* index pin, value second operand, ptr first operand */
    hostPinBuffer = 7,      /* index pin; answers the address of the pin's float block */
    hostPinBufferClock = 8, /* index pin; answers the sample clock of element 0 of the block */
    hostSleep = 10,         /* output stays constant until an input changes; result ignored */
    hostPinCount = 14,      /* answers the number of pin slots; 0 or less means none */
    hostAddEvent = 19,      /* ptr EventRecord, copied by the host before it returns */
    hostProcessChanged = 22 /* the record's process entry changed; result ignored */
};

QN_EXTERN_C_END

#endif /* QN_PLUGIN_HOST_CALLBACK_H */
