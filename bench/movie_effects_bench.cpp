// Layers at their largest: one 800 × 600 layer composited with a blend mode, blurred, and given
// a drop shadow, against copying the same pixels with memcpy. A frame at 24 frames a second
// has 4.2 ms (a tenth of its period) for all its drawing; a whole-view layer is the worst case.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/swf/swf_pixels.h"
#include "ratio_reporter.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr size_t kPixels = size_t{kWidth} * kHeight;

// A stage below and a layer of opaque discs with soft edges on transparency.
struct Frame {
  std::vector<uint32_t> below, layer, scratch;
  Frame() : below(kPixels), layer(kPixels), scratch(kPixels) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const size_t i = size_t(y) * kWidth + x;
        below[i] = 0xFF000000u | (uint32_t(x & 0xFF) << 16) | (uint32_t(y & 0xFF) << 8) | 0x80;
        const int dx = x % 100 - 50, dy = y % 100 - 50, d = dx * dx + dy * dy;
        const uint32_t a = d < 1600 ? 255 : d < 1800 ? 128 : 0;
        layer[i] = (a << 24) | ((a / 2) << 16) | (a << 8);
      }
    }
  }
};

Frame& TheFrame() {
  static Frame frame;
  return frame;
}

zp::swf::PixelView View(std::vector<uint32_t>& pixels) { return {pixels.data(), kWidth, kHeight, kWidth}; }

void Memcpy(benchmark::State& state) {
  Frame& f = TheFrame();
  for (auto _ : state) {
    std::memcpy(f.scratch.data(), f.below.data(), kPixels * 4);
    benchmark::ClobberMemory();
  }
}

void Multiply(benchmark::State& state) {
  Frame& f = TheFrame();
  for (auto _ : state) {
    std::memcpy(f.scratch.data(), f.below.data(), kPixels * 4);
    zp::swf::CompositeLayer(View(f.scratch), 0, 0, View(f.layer), zp::swf::BlendMode::kMultiply);
    benchmark::ClobberMemory();
  }
}

void Filtered(benchmark::State& state, zp::swf::Filter filter) {
  Frame& f = TheFrame();
  for (auto _ : state) {
    std::memcpy(f.scratch.data(), f.layer.data(), kPixels * 4);
    zp::swf::ApplyFilter(View(f.scratch), filter, 1, 1);
    benchmark::ClobberMemory();
  }
}

void Blur(benchmark::State& state) {
  zp::swf::Filter blur;
  blur.blurX = blur.blurY = 10;
  blur.passes = 3;
  Filtered(state, blur);
}

void DropShadow(benchmark::State& state) {
  zp::swf::Filter shadow;
  shadow.kind = zp::swf::FilterKind::kDropShadow;
  shadow.blurX = shadow.blurY = 8;
  shadow.distance = 6;
  shadow.angle = 0.785;
  Filtered(state, shadow);
}

BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(Multiply)->Unit(benchmark::kMillisecond);
BENCHMARK(Blur)->Unit(benchmark::kMillisecond);
BENCHMARK(DropShadow)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return zp::bench::RunWithRatios(argc, argv, {{"Multiply", "Memcpy"}, {"Blur", "Memcpy"}, {"DropShadow", "Memcpy"}});
}
