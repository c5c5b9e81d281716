// The document tag search over a 64 MiB program file whose document record sits at its very
// end, against glibc's memmem over the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/package_format.h"
#include "core/tag_search.h"
#include "core/text.h"
#include "ratio_reporter.h"

namespace {

constexpr size_t kRegionSize = 64u << 20;

// Mostly compressed-looking bytes, as the payloads of a package are.
const std::vector<uint8_t>& Region() {
  static const std::vector<uint8_t> region = [] {
    std::vector<uint8_t> bytes(kRegionSize);
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (auto& b : bytes) {
      state ^= state << 13, state ^= state >> 7, state ^= state << 17;
      b = static_cast<uint8_t>(state >> 24);
    }
    const std::string tag = zp::Utf16LeBytes(zp::kDocumentTag.Text());
    std::memcpy(bytes.data() + kRegionSize - zp::kDocumentHeaderSize, tag.data(), tag.size());
    return bytes;
  }();
  return region;
}

void TagSearch(benchmark::State& state) {
  const auto& region = Region();
  zp::TagSearcher searcher;
  searcher.SetPattern(zp::kDocumentTag.Text());
  for (auto _ : state) {
    const uint8_t* match = searcher.First(region.data(), region.size());
    if (match != region.data() + kRegionSize - zp::kDocumentHeaderSize) state.SkipWithError("wrong match");
    benchmark::DoNotOptimize(match);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kRegionSize));
}

void Memmem(benchmark::State& state) {
  const auto& region = Region();
  const std::string tag = zp::Utf16LeBytes(zp::kDocumentTag.Text());
  for (auto _ : state) {
    const void* match = memmem(region.data(), region.size(), tag.data(), tag.size());
    if (match != region.data() + kRegionSize - zp::kDocumentHeaderSize) state.SkipWithError("wrong match");
    benchmark::DoNotOptimize(match);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kRegionSize));
}

BENCHMARK(TagSearch)->Unit(benchmark::kMillisecond);
BENCHMARK(Memmem)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return zp::bench::RunWithRatios(argc, argv, {{"TagSearch", "Memmem"}}); }
