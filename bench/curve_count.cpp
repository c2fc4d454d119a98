// Runs one curve kernel over 1024-sample runs of random control, for counting instructions
// under valgrind (scripts/callgrind-curves.sh): `qn_curve_count <1bp|2bp|3bp> <path> <runs>`,
// path being a kernel name or stream_<width>. Prints nothing but errors.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_inputs.h"
#include "curve_dispatch.h"
#include "one_breakpoint/module.h"
#include "stream_kernels.h"
#include "three_breakpoint/module.h"
#include "two_breakpoint/module.h"

namespace {

using qn::shapers::CurvePath;

template <class Curve>
qn::shapers::CurveKernel<Curve> kernelNamed(const std::string& name) {
    for (const CurvePath path : qn::shapers::kCurvePaths) {
        if (name == qn::shapers::curvePathName(path)) {
            return qn::shapers::curvePathAvailable(path) ? qn::shapers::curveKernelFor<Curve>(path)
                                                         : nullptr;
        }
    }
    if (name == "stream_sse2") {
        return &qnbench::streamSse2<Curve>;
    }
    if (name == "stream_avx2" && qn::shapers::curvePathAvailable(CurvePath::avx2)) {
        return &qnbench::streamAvx2<Curve>;
    }
    if (name == "stream_avx512" && qn::shapers::curvePathAvailable(CurvePath::avx512)) {
        return &qnbench::streamAvx512<Curve>;
    }
    return nullptr;
}

template <class Curve>
int run(const std::string& path, long runs) {
    const auto kernel = kernelNamed<Curve>(path);
    if (kernel == nullptr) {
        std::fprintf(stderr, "path %s is not available here\n", path.c_str());
        return 2;
    }
    qnbench::BenchInputs inputs(qn::shapers::kCornerCount<Curve>, 1024,
                                qnbench::ControlKind::random);
    for (long i = 0; i < runs; ++i) {
        kernel(inputs.out(), inputs.nextControl(), inputs.corners(), 1024);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: qn_curve_count <1bp|2bp|3bp> <path> <runs>\n");
        return 1;
    }
    const std::string curve = argv[1];
    const long runs = std::atol(argv[3]);
    if (curve == "1bp") {
        return run<dk::one_breakpoint::Curve>(argv[2], runs);
    }
    if (curve == "2bp") {
        return run<dk::two_breakpoint::Curve>(argv[2], runs);
    }
    if (curve == "3bp") {
        return run<dk::three_breakpoint::Curve>(argv[2], runs);
    }
    std::fprintf(stderr, "unknown curve %s\n", argv[1]);
    return 1;
}
