// Which vector kernels this build can contain, and the attributes that compile one function
// for an instruction set beyond the build's baseline, so that the plug-ins still load and run
// on CPUs without it: the choice between kernels is made at run time.
#pragma once

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__)
#define QN_CURVE_X86 1
#include <immintrin.h>
#else
#define QN_CURVE_X86 0
#endif

#if QN_CURVE_X86
// 32-bit callers (a Windows host above all) may enter with a stack aligned to 4 bytes only;
// vector spills need it realigned on entry.
#if defined(__i386__)
#define QN_CURVE_REALIGN __attribute__((force_align_arg_pointer))
#else
#define QN_CURVE_REALIGN
#endif

// Never "fma": the interpolation must round after the multiply and after the add.
#define QN_CURVE_SSE2 __attribute__((always_inline)) inline
#define QN_CURVE_AVX2 __attribute__((target("avx2"), always_inline)) inline
#define QN_CURVE_AVX512 __attribute__((target("avx512f,avx512dq"), always_inline)) inline
#define QN_CURVE_ENTRY_SSE2 QN_CURVE_REALIGN
#define QN_CURVE_ENTRY_AVX2 __attribute__((target("avx2"))) QN_CURVE_REALIGN
#define QN_CURVE_ENTRY_AVX512 __attribute__((target("avx512f,avx512dq"))) QN_CURVE_REALIGN
#endif
