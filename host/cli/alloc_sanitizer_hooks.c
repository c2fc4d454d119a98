/*
 * Allocation counting for sanitizer builds, where the sanitizer owns malloc and operator new:
 * its allocator reports every allocation and release to these hooks instead.
 */
#include <sanitizer/allocator_interface.h>
#include <stddef.h>
#include <stdint.h>

static int counting;
static uint64_t counted;

void qn_alloc_counting(int on) {
    counting = on;
}

uint64_t qn_alloc_count(void) {
    return counted;
}

void qn_alloc_note(void) {
    if (counting) {
        ++counted;
    }
}

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
