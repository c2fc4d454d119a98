// Time per sample of every curve kernel this CPU runs, of the plain scalar loop and of the
// streaming limit at each vector width, for the three curves, runs of 64, 1024 and 1,048,576
// samples, random and ramp control; then a table of nanoseconds per sample and the ratios
// between them (medians when run with --benchmark_repetitions).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "bench_inputs.h"
#include "curve_dispatch.h"
#include "one_breakpoint/module.h"
#include "stream_kernels.h"
#include "three_breakpoint/module.h"
#include "two_breakpoint/module.h"

namespace qnbench {
namespace {

using qn::shapers::CurvePath;

constexpr std::size_t kRuns[] = {64, 1024, std::size_t{1} << 20};
constexpr ControlKind kControls[] = {ControlKind::random, ControlKind::ramp};
const char* const kCurveNames[] = {"1bp", "2bp", "3bp"};
const char* const kPathNames[] = {"scalar", "sse2", "avx2", "avx512"};
const char* const kStreamNames[] = {"stream_sse2", "stream_avx2", "stream_avx512"};

const char* controlName(ControlKind kind) {
    return kind == ControlKind::random ? "random" : "ramp";
}

std::string benchName(const char* curve, const char* path, std::size_t run, ControlKind kind) {
    return std::string(curve) + "/" + path + "/" + std::to_string(run) + "/" + controlName(kind);
}

// Built once per shape and shared by every benchmark of that shape: making a million distinct
// random controls takes longer than timing a kernel over them.
BenchInputs& inputsFor(std::size_t corners, std::size_t run, ControlKind kind) {
    static std::map<std::tuple<std::size_t, std::size_t, ControlKind>, BenchInputs> cache;
    const auto key = std::make_tuple(corners, run, kind);
    auto found = cache.find(key);
    if (found == cache.end()) {
        found = cache.emplace(key, BenchInputs(corners, run, kind)).first;
    }
    return found->second;
}

template <class Curve>
void registerCurve(const char* curve) {
    using Kernel = qn::shapers::CurveKernel<Curve>;
    std::vector<std::pair<const char*, Kernel>> kernels;
    for (const CurvePath path : qn::shapers::kCurvePaths) {
        if (qn::shapers::curvePathAvailable(path)) {
            kernels.emplace_back(qn::shapers::curvePathName(path),
                                 qn::shapers::curveKernelFor<Curve>(path));
        }
    }
    kernels.emplace_back(kStreamNames[0], &streamSse2<Curve>);
    if (qn::shapers::curvePathAvailable(CurvePath::avx2)) {
        kernels.emplace_back(kStreamNames[1], &streamAvx2<Curve>);
    }
    if (qn::shapers::curvePathAvailable(CurvePath::avx512)) {
        kernels.emplace_back(kStreamNames[2], &streamAvx512<Curve>);
    }
    for (const ControlKind kind : kControls) {
        for (const std::size_t run : kRuns) {
            for (const auto& [path, kernel] : kernels) {
                benchmark::RegisterBenchmark(
                    benchName(curve, path, run, kind).c_str(),
                    [kernel = kernel, run, kind](benchmark::State& state) {
                        BenchInputs& inputs =
                            inputsFor(qn::shapers::kCornerCount<Curve>, run, kind);
                        for (auto _ : state) {
                            kernel(inputs.out(), inputs.nextControl(), inputs.corners(), run);
                            benchmark::DoNotOptimize(inputs.out());
                            benchmark::ClobberMemory();
                        }
                        state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(run));
                    })
                    ->Unit(benchmark::kNanosecond);
            }
        }
    }
}

// Keeps nanoseconds per sample of every benchmark: the median when there are repetitions.
class TableReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string name = run.run_name.function_name;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Aggregate && !median) {
                continue;
            }
            if (!median && medians_.count(name) != 0) {
                continue;
            }
            const std::size_t run_length = std::stoul(name.substr(name.find('/', 4) + 1));
            const double ns = run.GetAdjustedRealTime() / static_cast<double>(run_length);
            if (median) {
                medians_.insert(name);
            }
            nsPerSample_[name] = ns;
        }
    }

    void printTable() const {
        std::printf(
            "\nns per sample (speed-up over the scalar loop; multiple of the streaming "
            "limit at the same width)\n");
        for (const ControlKind kind : kControls) {
            for (const std::size_t run : kRuns) {
                for (const char* curve : kCurveNames) {
                    const double scalar = get(curve, "scalar", run, kind);
                    std::printf("%-4s %-6s %8zu:", curve, controlName(kind), run);
                    for (int p = 0; p < 4; ++p) {
                        const double ns = get(curve, kPathNames[p], run, kind);
                        if (ns <= 0.0) {
                            continue;
                        }
                        std::printf("  %s %.3f", kPathNames[p], ns);
                        if (p > 0) {
                            const double stream = get(curve, kStreamNames[p - 1], run, kind);
                            std::printf(" (%.1fx, %.2fx stream %.3f)", scalar / ns,
                                        stream > 0.0 ? ns / stream : 0.0, stream);
                        }
                    }
                    std::printf("\n");
                }
            }
        }
        std::printf("\nper-sample time relative to the three-breakpoint curve, same path\n");
        for (const ControlKind kind : kControls) {
            for (const std::size_t run : kRuns) {
                std::printf("%-6s %8zu:", controlName(kind), run);
                for (const char* path : kPathNames) {
                    const double three = get("3bp", path, run, kind);
                    if (three <= 0.0) {
                        continue;
                    }
                    std::printf("  %s 1bp %.2f 2bp %.2f", path, get("1bp", path, run, kind) / three,
                                get("2bp", path, run, kind) / three);
                }
                std::printf("\n");
            }
        }
    }

  private:
    double get(const char* curve, const char* path, std::size_t run, ControlKind kind) const {
        const auto found = nsPerSample_.find(benchName(curve, path, run, kind));
        return found == nsPerSample_.end() ? 0.0 : found->second;
    }

    std::map<std::string, double> nsPerSample_;
    std::set<std::string> medians_;
};

}  // namespace
}  // namespace qnbench

int main(int argc, char** argv) {
    qnbench::registerCurve<dk::one_breakpoint::Curve>("1bp");
    qnbench::registerCurve<dk::two_breakpoint::Curve>("2bp");
    qnbench::registerCurve<dk::three_breakpoint::Curve>("3bp");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    qnbench::TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTable();
    benchmark::Shutdown();
    return 0;
}
