/*
 * PinProperties: the description of one pin, filled by the module when the host asks for it
 * by index (plugGetPinProperties). The module writes only the fields it uses and leaves the
 * rest as the host set them. `variable` names a member of the module object; for a
 * sampleStream pin the host stores the address of the pin's float block there before it
 * first calls a process entry.
 *
 * 32-bit layout:           64-bit layout (addresses widen):
 *   0 variable    4          0 variable    8
 *   4 direction   4          8 direction   4
 *   8 datatype    4         12 datatype    4
 *  12 name        4         16 name        8
 *  16 defaultText 4         24 defaultText 8
 *  20 reservedA   4         32 reservedA   4
 *  24 flags       4         36 flags       4
 *  28 reservedB   4         40 reservedB   4
 *  size 32                  size 48
 */
#ifndef QN_MODULE_PIN_PROPERTIES_H
#define QN_MODULE_PIN_PROPERTIES_H

#include "../plugin/qn_platform.h"

QN_EXTERN_C_BEGIN

/* PinDirection: read by the host only. */
enum PinDirectionValue { pinInput = 0, pinOutput = 1 };
typedef int32_t PinDirection;

/* PinDatatype codes; only these five get storage of their own in a pin. */
enum PinDatatypeValue {
    int16Value = 0,
    byteValue = 4,
    sampleStream = 5, /* the variable holds the address of a block of 32-bit float samples */
    floatValue = 6,
    int32Value = 8
};
typedef int32_t PinDatatype;

/* PinFlags bits that open acts on; every other bit is ignored. */
enum PinFlagsValue {
    pinRepeatLast = 0x8,     /* leftover slots repeat this (last) description */
    pinNotInModule = 0x400,  /* no pin object, no slot */
    pinAlsoInModule = 0x8000 /* cancels pinNotInModule */
};
typedef uint32_t PinFlags;

/* PlugState of a pin's signal. Any value of 2 or more counts as streaming. */
enum PlugStateValue { idle = 0, oneShot = 1, streaming = 2 };
typedef int32_t PlugState;

typedef struct PinProperties {
    void* variable;          /* module variable of the pin, or null */
    PinDirection direction;  /* pinInput or pinOutput */
    PinDatatype datatype;    /* PinDatatype code */
    const char* name;        /* NUL-terminated 8-bit text of the library */
    const char* defaultText; /* default value as text, or null */
    int32_t reservedA;       /* neither written by modules nor read by the framework */
    PinFlags flags;          /* PinFlags bits */
    int32_t reservedB;       /* neither written by modules nor read by the framework */
} PinProperties;

/*
 * Whether a description gets a pin slot of the module: module and host number the slots
 * alike, slot N being the (N+1)-th description for which this holds.
 */
static inline int pinTakesSlot(PinFlags flags) {
    return (flags & pinNotInModule) == 0 || (flags & pinAlsoInModule) != 0;
}

QN_ASSERT_SIZE(PinProperties, 32, 48);
QN_ASSERT_FIELD(PinProperties, variable, 0, 0);
QN_ASSERT_FIELD(PinProperties, direction, 4, 8);
QN_ASSERT_FIELD(PinProperties, datatype, 8, 12);
QN_ASSERT_FIELD(PinProperties, name, 12, 16);
QN_ASSERT_FIELD(PinProperties, defaultText, 16, 24);
QN_ASSERT_FIELD(PinProperties, reservedA, 20, 32);
QN_ASSERT_FIELD(PinProperties, flags, 24, 36);
QN_ASSERT_FIELD(PinProperties, reservedB, 28, 40);

QN_EXTERN_C_END

#endif /* QN_MODULE_PIN_PROPERTIES_H */
