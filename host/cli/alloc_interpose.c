/*
 * The malloc family of the whole process, counted while a window is open and otherwise
 * handed straight to the C library's own allocator. Exported from the executable (see
 * alloc_exports.list), so that plug-ins loaded later bind to these definitions.
 */
#include <errno.h>
#include <stddef.h>
#include <stdint.h>

#include "alloc_counter.h"

extern void* __libc_malloc(size_t size);
extern void* __libc_calloc(size_t count, size_t size);
extern void* __libc_realloc(void* block, size_t size);
extern void __libc_free(void* block);
extern void* __libc_memalign(size_t alignment, size_t size);

void* malloc(size_t size) {
    qn_alloc_note();
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
    qn_alloc_note();
    return __libc_calloc(count, size);
}

void* realloc(void* block, size_t size) {
    qn_alloc_note();
    return __libc_realloc(block, size);
}

void free(void* block) {
    /* Releasing is counted too: a process call has no business touching the heap at all. */
    if (block != NULL) {
        qn_alloc_note();
    }
    __libc_free(block);
}

void* memalign(size_t alignment, size_t size) {
    qn_alloc_note();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
    qn_alloc_note();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** result, size_t alignment, size_t size) {
    qn_alloc_note();
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0) {
        return EINVAL;
    }
    void* block = __libc_memalign(alignment, size);
    if (block == NULL) {
        return ENOMEM;
    }
    *result = block;
    return 0;
}
