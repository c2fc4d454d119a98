/*
 * GuiPlugRecord: the record embedded in every GUI object; its address is the GUI object's
 * identity towards the host. Also the GUI side's callback, opcodes, request codes and the
 * {index, value} pair handed to three of its operations. The GUI numbering is its own and
 * unrelated to the processing half's opcodes and requests.
 *
 * GuiPlugRecord, 32-bit layout:    64-bit layout (addresses widen, natural alignment):
 *   0 magic 'QNPM' 4                 0 magic        4
 *   4 version = 1  4                 4 version      4
 *   8 dispatcher   4                 8 dispatcher   8
 *  12 hostHandle   4                16 hostHandle   8
 *  16 object       4                24 object       8
 *  20 reserved[5]  20               32 reserved[5]  20  (+4 padding)
 *  size 40                          size 56
 *
 * GuiIndexValue: index 0, value 4, size 8 on both targets.
 */
#ifndef QN_GUI_GUI_PLUG_RECORD_H
#define QN_GUI_GUI_PLUG_RECORD_H

#include "../plugin/qn_platform.h"

QN_EXTERN_C_BEGIN

#define QN_GUI_MAGIC 0x514E504D /* 'QNPM': bytes 4D 50 4E 51 in memory */
#define QN_GUI_VERSION 1

struct GuiPlugRecord;

/* Dispatcher entry: the host sends every GUI opcode through it, with the record's address. */
typedef int32_t(QN_CDECL* GuiDispatcherEntry)(struct GuiPlugRecord* record, int32_t opcode,
                                              int32_t index, int32_t value, void* ptr, float opt);

/*
 * The host's service function for GUI objects, called with the address of the asking
 * object's GuiPlugRecord. Arguments a request does not use are 0 (0.0 for opt). The answer
 * is a number or an address, depending on the request.
 */
typedef intptr_t(QN_CDECL* GuiHostCallback)(struct GuiPlugRecord* record, int32_t request,
                                            int32_t index, int32_t value, void* ptr, float opt);

typedef struct GuiPlugRecord {
    int32_t magic;
    int32_t version;
    GuiDispatcherEntry dispatcher;
    void* hostHandle; /* given to the GUI object's constructor, unchanged */
    void* object;     /* the GUI object that holds the record */
    int32_t reserved[5];
} GuiPlugRecord;

QN_ASSERT_SIZE(GuiPlugRecord, 40, 56);
QN_ASSERT_FIELD(GuiPlugRecord, magic, 0, 0);
QN_ASSERT_FIELD(GuiPlugRecord, version, 4, 4);
QN_ASSERT_FIELD(GuiPlugRecord, dispatcher, 8, 8);
QN_ASSERT_FIELD(GuiPlugRecord, hostHandle, 12, 16);
QN_ASSERT_FIELD(GuiPlugRecord, object, 16, 24);
QN_ASSERT_FIELD(GuiPlugRecord, reserved, 20, 32);

/* Passed by value to the operations of opcodes 3 to 5. */
typedef struct GuiIndexValue {
    int32_t index;
    int32_t value;
} GuiIndexValue;

QN_ASSERT_SIZE(GuiIndexValue, 8, 8);
QN_ASSERT_FIELD(GuiIndexValue, index, 0, 0);
QN_ASSERT_FIELD(GuiIndexValue, value, 4, 4);

/* GUI dispatcher opcodes (GuiOpcode). Compared as unsigned; any other value answers 0. */
enum GuiOpcode {
    guiCommand0 = 0,   /* index == 1 passed on as a bool */
    guiClose = 1,      /* closes and deletes the GUI object; answers 1 */
    guiCommand2 = 2,   /* index, ptr */
    guiCommand3 = 3,   /* ptr, the 32 bits of opt, {index, value} */
    guiCommand4 = 4,   /* as guiCommand3 */
    guiCommand5 = 5,   /* as guiCommand3 */
    guiCommand6 = 6,   /* value, index, ptr: in that order */
    guiCommand7 = 7,   /* a pin handle {index, object}, valid for the call only */
    guiCommand8 = 8,   /* ptr */
    guiCommand9 = 9,   /* ptr */
    guiCommand10 = 10, /* answers 1 or 0 */
    guiCommand11 = 11, /* index */
    guiCommand12 = 12  /* index */
};

/* Request codes (GuiRequest) a GUI object sends through its GuiHostCallback. */
enum GuiRequest {
    guiHostSetPinText = 6,      /* index pin, ptr NUL-terminated 8-bit text */
    guiHostGetPinText = 7,      /* index pin; answers the address of NUL-terminated 8-bit text */
    guiHostCommand8 = 8,        /* index, value, ptr as the GUI object passes them */
    guiHostGetPinValue = 14,    /* index pin, ptr a 4-byte variable the host fills */
    guiHostSetPinValue = 15,    /* index pin, value integer value, opt float value */
    guiHostGetPinWideText = 17, /* index pin; null ptr: answers the length counting the NUL;
                                   value length and ptr buffer: the host fills the buffer */
    guiHostCommand18 = 18,      /* ptr */
    guiHostCommand19 = 19,      /* ptr */
    guiHostQuery20 = 20         /* ptr; the answer is tested against 0 */
};

QN_EXTERN_C_END

#endif /* QN_GUI_GUI_PLUG_RECORD_H */
