// Runs the registered benchmarks and prints, besides the usual table, the ratio of each
// measured benchmark to its baseline from the same run.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace zp::bench {

// Pairs of (measured benchmark name, baseline benchmark name).
int RunWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& pairs);

}  // namespace zp::bench
