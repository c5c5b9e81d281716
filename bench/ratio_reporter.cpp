#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace zp::bench {
namespace {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) {
      if (run.iterations > 0) seconds[run.benchmark_name()] = run.real_accumulated_time / run.iterations;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> seconds;
};

}  // namespace

int RunWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& pairs) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  int status = 0;
  for (const auto& [measured, baseline] : pairs) {
    const auto m = reporter.seconds.find(measured);
    const auto b = reporter.seconds.find(baseline);
    if (m == reporter.seconds.end() || b == reporter.seconds.end() || b->second <= 0) continue;
    std::printf("%s: %.3f ms, %s: %.3f ms, ratio %.2f\n", measured.c_str(), m->second * 1e3, baseline.c_str(),
                b->second * 1e3, m->second / b->second);
  }
  benchmark::Shutdown();
  return status;
}

}  // namespace zp::bench
