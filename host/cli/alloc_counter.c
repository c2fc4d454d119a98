/*
 * The allocation count behind alloc_counter.h, fed by whichever layer sees the heap: qnhost's
 * own malloc family, or a sanitizer's allocator hooks.
 */
#include <stdint.h>

#include "alloc_counter.h"

static int counting;
static uint64_t counted;

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
