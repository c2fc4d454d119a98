/*
 * Allocation counting for sanitizer builds, where the sanitizer owns malloc and operator new:
 * its allocator reports every allocation and release to these hooks instead.
 */
#include <sanitizer/allocator_interface.h>
#include <stddef.h>
#include <stdint.h>

#include "alloc_counter.h"

static void onMalloc(const volatile void* block, size_t size) {
    (void)block;
    (void)size;
    qn_alloc_note();
}

static void onFree(const volatile void* block) {
    if (block != NULL) {
        qn_alloc_note();
    }
}

__attribute__((constructor)) static void installHooks(void) {
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
}
