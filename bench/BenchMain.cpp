// kestrel_bench: every case beside its reference loop and baselines, in one
// run; see BenchSupport.h.
//
//   kestrel_bench [--fixed_iterations=N] [Google Benchmark flags]
//
// --fixed_iterations=N, when it comes first, runs every benchmark for exactly
// N iterations (and once), so that the instruction counts of two runs under
// callgrind differ only by the iterations: tools/bench-report runs a
// benchmark with two values of N and divides the difference of the counts by
// the difference of N, which cancels start-up and the building of messages.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BenchSupport.h"

namespace {

constexpr char kFixedIterationsFlag[] = "--fixed_iterations=";

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 &&
      std::strncmp(argv[1], kFixedIterationsFlag, sizeof kFixedIterationsFlag - 1) == 0) {
    const int n = std::atoi(argv[1] + sizeof kFixedIterationsFlag - 1);
    if (n < 1) {
      std::fprintf(stderr, "%s needs a positive count\n", kFixedIterationsFlag);
      return 2;
    }
    kbench::SetFixedIterations(n);
    // The flag is ours: Google Benchmark must not see it.
    for (int i = 1; i + 1 < argc; ++i) argv[i] = argv[i + 1];
    --argc;
  }

  kbench::RegisterStopBitCases();
  kbench::RegisterCodeCases();
  kbench::RegisterQuoteCases();
  kbench::RegisterKLineCases();
  kbench::RegisterTrendCases();
  kbench::RegisterLevel2Cases();
  kbench::RegisterQEDataCases();
  kbench::RegisterRankingCases();

  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
