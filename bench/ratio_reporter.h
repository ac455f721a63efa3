// A console reporter that, after the runs, prints how many times slower
// each library benchmark is than its SQLite counterpart in the same run.

#ifndef VX_BENCH_RATIO_REPORTER_H_
#define VX_BENCH_RATIO_REPORTER_H_

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vx::bench {

struct Pair {
  const char* what;     // the work, as the README names it
  const char* library;  // benchmark through the library
  const char* sqlite;   // the same work through the SQLite C API
};

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  explicit RatioReporter(std::vector<Pair> pairs) : pairs_(std::move(pairs)) {}

  // With repetitions (--benchmark_repetitions, best with
  // --benchmark_enable_random_interleaving, so that both sides of a pair
  // see the same load) the median of each benchmark's repetitions counts.
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Iteration && !medians_.count(run.benchmark_name())) {
        ns_per_op_[run.benchmark_name()] = run.GetAdjustedRealTime();
      } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians_.insert(run.run_name.str());
        ns_per_op_[run.run_name.str()] = run.GetAdjustedRealTime();
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-44s %12s %12s %8s\n", "work", "library", "sqlite", "ratio");
    for (const Pair& p : pairs_) {
      auto a = ns_per_op_.find(p.library);
      auto b = ns_per_op_.find(p.sqlite);
      if (a == ns_per_op_.end() || b == ns_per_op_.end() || b->second <= 0) {
        continue;
      }
      std::printf("%-44s %9.2f us %9.2f us %7.2fx\n", p.what, a->second / 1000,
                  b->second / 1000, a->second / b->second);
    }
  }

 private:
  std::vector<Pair> pairs_;
  std::map<std::string, double> ns_per_op_;
  std::set<std::string> medians_;  // benchmarks whose median is known
};

// Runs the benchmarks selected on the command line and prints the ratios.
inline int RunWithRatios(int argc, char** argv, std::vector<Pair> pairs) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter(std::move(pairs));
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace vx::bench

#endif  // VX_BENCH_RATIO_REPORTER_H_
