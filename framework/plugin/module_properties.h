/*
 * The two exports of every plug-in library and the ModuleProperties record.
 *
 * 32-bit layout (the host's):        64-bit layout (addresses widen to 8 bytes):
 *   0  name               4            0  name               8
 *   4  id                 4            8  id                 8
 *   8  about              4           16  about              8
 *  12  reservedA (untouched)  4       24  reservedA          4
 *  16  reservedB (untouched)  4       28  reservedB          4
 *  20  frameworkVersion   4           32  frameworkVersion   4
 *  size 24                             size 40
 */
#ifndef QN_PLUGIN_MODULE_PROPERTIES_H
#define QN_PLUGIN_MODULE_PROPERTIES_H

#include "host_callback.h"

QN_EXTERN_C_BEGIN

#define QN_FRAMEWORK_VERSION 2230
#define QN_OBJECT_KIND_MODULE 1

typedef struct ModuleProperties {
    const char* name;  /* display name, constant text of the library */
    const char* id;    /* unique identifier */
    const char* about; /* about text with "\n" line breaks */
    int32_t reservedA; /* never written by the library */
    int32_t reservedB; /* never written by the library */
    int32_t frameworkVersion;
} ModuleProperties;

QN_ASSERT_SIZE(ModuleProperties, 24, 40);
QN_ASSERT_FIELD(ModuleProperties, name, 0, 0);
QN_ASSERT_FIELD(ModuleProperties, id, 4, 8);
QN_ASSERT_FIELD(ModuleProperties, about, 8, 16);
QN_ASSERT_FIELD(ModuleProperties, reservedA, 12, 24);
QN_ASSERT_FIELD(ModuleProperties, reservedB, 16, 28);
QN_ASSERT_FIELD(ModuleProperties, frameworkVersion, 20, 32);

/*
 * getModuleProperties: called by the host at any time, any number of times, on any thread.
 * Always stores QN_FRAMEWORK_VERSION; for index 0 also stores the three text pointers and
 * answers 1; for any other index answers 0 and writes nothing else.
 */
typedef int32_t(QN_CDECL* GetModulePropertiesEntry)(int32_t index, ModuleProperties* properties);

/*
 * makeModule: creates one instance for index 0 and objectKind 1 and answers the address of
 * its PlugRecord (not of the object); null for any other index or kind, or when memory runs
 * out. The callback and hostHandle are stored unchanged; a null callback is accepted.
 */
typedef struct PlugRecord*(QN_CDECL* MakeModuleEntry)(int32_t index, int32_t objectKind,
                                                      HostCallback callback, void* hostHandle);

QN_EXPORT int32_t QN_CDECL getModuleProperties(int32_t index, ModuleProperties* properties);
QN_EXPORT struct PlugRecord* QN_CDECL makeModule(int32_t index, int32_t objectKind,
                                                 HostCallback callback, void* hostHandle);

QN_EXTERN_C_END

#endif /* QN_PLUGIN_MODULE_PROPERTIES_H */
