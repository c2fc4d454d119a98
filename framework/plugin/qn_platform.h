/*
 * Export, calling-convention and layout-check macros shared by every C header of the
 * plug-in boundary. A host written in C includes this through the other headers.
 */
#ifndef QN_PLUGIN_QN_PLATFORM_H
#define QN_PLUGIN_QN_PLATFORM_H

#include <stddef.h>
#include <stdint.h>

/* The platform's C calling convention: the caller removes the arguments. */
#if defined(_WIN32)
#define QN_CDECL __cdecl
#elif defined(__i386__)
#define QN_CDECL __attribute__((cdecl))
#else
#define QN_CDECL
#endif

/* The two exports of a plug-in library; everything else in it stays hidden. */
#if defined(_WIN32)
#define QN_EXPORT
#else
#define QN_EXPORT __attribute__((visibility("default")))
#endif

/*
 * Entries that a host calls (exports, record entries, callbacks handed out). 32-bit Windows
 * hosts may call with a stack aligned to only 4 bytes, while SSE spills assume 16, so those
 * entries realign the stack on the way in.
 */
#if defined(_WIN32) && defined(__i386__) && defined(__GNUC__)
#define QN_ENTRY_ALIGN __attribute__((force_align_arg_pointer))
#else
#define QN_ENTRY_ALIGN
#endif

#ifdef __cplusplus
#define QN_EXTERN_C_BEGIN extern "C" {
#define QN_EXTERN_C_END }
#define QN_STATIC_ASSERT(condition, message) static_assert(condition, message)
#else
#define QN_EXTERN_C_BEGIN
#define QN_EXTERN_C_END
#define QN_STATIC_ASSERT(condition, message) _Static_assert(condition, message)
#endif

/* Layout checks: on 32-bit targets the host's exact layout, on 64-bit targets the widened one. */
#if UINTPTR_MAX == 0xFFFFFFFFu
#define QN_LAYOUT_32 1
#else
#define QN_LAYOUT_32 0
#endif
#define QN_ASSERT_FIELD(type, field, offset32, offset64)                                \
    QN_STATIC_ASSERT(offsetof(type, field) == (QN_LAYOUT_32 ? (offset32) : (offset64)), \
                     #type "." #field " offset")
#define QN_ASSERT_SIZE(type, size32, size64) \
    QN_STATIC_ASSERT(sizeof(type) == (QN_LAYOUT_32 ? (size32) : (size64)), #type " size")

#endif /* QN_PLUGIN_QN_PLATFORM_H */
