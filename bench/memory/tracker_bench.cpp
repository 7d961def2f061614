// Cost of one allocation plus release through the tracked global operators,
// against the C runtime heap alone, for small, medium and page-sized blocks.
// Prints the tracked/plain time ratio for each size after the runs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <string>
#include <vector>

namespace {

const int kSizes[] = {16, 256, 4096};

void TrackedNewDelete(benchmark::State &state)
{
    const size_t size = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        void *block = ::operator new(size);
        benchmark::DoNotOptimize(block);
        ::operator delete(block);
    }
}

void PlainMallocFree(benchmark::State &state)
{
    const size_t size = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        void *block = std::malloc(size);
        benchmark::DoNotOptimize(block);
        std::free(block);
    }
}

BENCHMARK(TrackedNewDelete)->Arg(16)->Arg(256)->Arg(4096);
BENCHMARK(PlainMallocFree)->Arg(16)->Arg(256)->Arg(4096);

// Console output as usual, plus the time per iteration (ns) of each run.
class CRatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                nanoseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, double> nanoseconds;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nTracked new/delete versus malloc/free (time ratio):\n");
    for (int size : kSizes) {
        const std::string arg = "/" + std::to_string(size);
        const auto tracked = reporter.nanoseconds.find("TrackedNewDelete" + arg);
        const auto plain = reporter.nanoseconds.find("PlainMallocFree" + arg);
        if (tracked == reporter.nanoseconds.end() || plain == reporter.nanoseconds.end() ||
            plain->second <= 0.0) {
            continue;
        }
        std::printf("  %5d bytes: %7.2f ns vs %7.2f ns, ratio %.2f\n", size, tracked->second,
                    plain->second, tracked->second / plain->second);
    }
    return 0;
}
