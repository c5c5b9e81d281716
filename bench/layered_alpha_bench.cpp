// The alpha walks of the transparent view over one 800 × 600 frame, against copying the same
// pixels with memcpy. Goal: each walk at most twice the copy.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/transparency/layered_alpha.h"
#include "ratio_reporter.h"

namespace {

constexpr size_t kPixels = 800 * 600;

struct Frame {
  std::vector<uint32_t> overBlack, overWhite, scratch;
  Frame() : overBlack(kPixels), overWhite(kPixels), scratch(kPixels) {
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (size_t i = 0; i < kPixels; ++i) {
      state ^= state << 13, state ^= state >> 7, state ^= state << 17;
      // A quarter empty stage, the rest movie: what a floating movie typically shows.
      const uint32_t colour = static_cast<uint32_t>(state) & 0x00FFFFFF;
      const bool empty = (i & 3) == 0;
      overBlack[i] = empty ? 0 : colour;
      overWhite[i] = empty ? 0x00FFFFFF : colour;
    }
  }
};

Frame& TheFrame() {
  static Frame frame;
  return frame;
}

void SetBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPixels * 4));
}

void Memcpy(benchmark::State& state) {
  Frame& f = TheFrame();
  for (auto _ : state) {
    std::memcpy(f.scratch.data(), f.overBlack.data(), kPixels * 4);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

void OnePass(benchmark::State& state) {
  Frame& f = TheFrame();
  for (auto _ : state) {
    // Fresh pixels each time would measure a copy as well; the walk reads and tests every
    // pixel whether or not it changes any.
    benchmark::DoNotOptimize(zp::transparency::MakeColouredPixelsOpaque(f.scratch.data(), kPixels));
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

void TwoPass(benchmark::State& state) {
  Frame& f = TheFrame();
  for (auto _ : state) {
    zp::transparency::AlphaFromBlackAndWhite(f.scratch.data(), f.overWhite.data(), kPixels);
    benchmark::ClobberMemory();
  }
  SetBytes(state);
}

BENCHMARK(Memcpy)->Unit(benchmark::kMicrosecond);
BENCHMARK(OnePass)->Unit(benchmark::kMicrosecond);
BENCHMARK(TwoPass)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return zp::bench::RunWithRatios(argc, argv, {{"OnePass", "Memcpy"}, {"TwoPass", "Memcpy"}});
}
