// The choice of curve kernel: the widest vector path the CPU offers, found from its feature
// flags once, on the first run of each curve, and kept in a function pointer. Nothing runs at
// load time, and every later run costs one indirect call.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

#include "curve_definition.h"
#include "curve_kernel_avx2.h"
#include "curve_kernel_avx512.h"
#include "curve_kernel_sse2.h"
#include "curve_simd_target.h"

namespace qn::shapers {

enum class CurvePath { scalar, sse2, avx2, avx512 };

inline constexpr std::array<CurvePath, 4> kCurvePaths{CurvePath::scalar, CurvePath::sse2,
                                                      CurvePath::avx2, CurvePath::avx512};

constexpr const char* curvePathName(CurvePath path) noexcept {
    switch (path) {
        case CurvePath::scalar:
            return "scalar";
        case CurvePath::sse2:
            return "sse2";
        case CurvePath::avx2:
            return "avx2";
        case CurvePath::avx512:
            return "avx512";
    }
    return "?";
}

// Whether this build holds the path and the CPU (with its operating system's register
// support) can run it.
inline bool curvePathAvailable(CurvePath path) noexcept {
#if QN_CURVE_X86
    __builtin_cpu_init();
    switch (path) {
        case CurvePath::scalar:
        case CurvePath::sse2:
            return true;
        case CurvePath::avx2:
            return __builtin_cpu_supports("avx2") != 0;
        case CurvePath::avx512:
            return __builtin_cpu_supports("avx512f") != 0 &&
                   __builtin_cpu_supports("avx512dq") != 0;
    }
    return false;
#else
    return path == CurvePath::scalar;
#endif
}

inline CurvePath fastestCurvePath() noexcept {
    CurvePath best = CurvePath::scalar;
    for (const CurvePath path : kCurvePaths) {
        if (curvePathAvailable(path)) {
            best = path;
        }
    }
    return best;
}

// The kernel of `path`; the scalar one where this build lacks the path.
template <class Curve>
CurveKernel<Curve> curveKernelFor(CurvePath path) noexcept {
    switch (path) {
#if QN_CURVE_X86
        case CurvePath::sse2:
            return &sse2::curveKernel<Curve>;
        case CurvePath::avx2:
            return &avx2::curveKernel<Curve>;
        case CurvePath::avx512:
            return &avx512::curveKernel<Curve>;
#endif
        default:
            return &curveKernelScalar<Curve>;
    }
}

template <class Curve>
void resolveCurveKernel(float* out, const float* control, const float* const* corners,
                        std::size_t count) noexcept;

// Starts at the resolver, which replaces itself on the first run. Constant-initialised, so
// loading a plug-in runs no code. Relaxed atomic: instances on different threads may race to
// store the same pointer, and on x86 the access is a plain load or store.
template <class Curve>
inline std::atomic<CurveKernel<Curve>> activeCurveKernel{&resolveCurveKernel<Curve>};

template <class Curve>
void resolveCurveKernel(float* out, const float* control, const float* const* corners,
                        std::size_t count) noexcept {
    const CurveKernel<Curve> kernel = curveKernelFor<Curve>(fastestCurvePath());
    activeCurveKernel<Curve>.store(kernel, std::memory_order_relaxed);
    kernel(out, control, corners, count);
}

}  // namespace qn::shapers
