// A frame of every movie of the shared conformance folder at 800 × 600: building its draw list,
// and building and drawing it into premultiplied pixels, against copying that many frames of
// pixels with memcpy. (JPEG data and text in the system's fonts need the system and are left
// out here; bench/win measures the whole frame under Wine.)
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "core/swf/movie_session.h"
#include "core/swf/swf_canvas.h"
#include "ratio_reporter.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;
constexpr size_t kPixels = size_t{kWidth} * kHeight;

struct Movies {
  std::vector<std::unique_ptr<zp::swf::MovieSession>> sessions;
  std::vector<uint32_t> frame = std::vector<uint32_t>(kPixels), copy = std::vector<uint32_t>(kPixels);
  Movies() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(ZP_BENCH_MOVIES, error)) {
      std::ifstream in(entry.path() / "test.swf", std::ios::binary);
      const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      auto session = std::make_unique<zp::swf::MovieSession>();
      if (!bytes.empty() && session->LoadBytes(bytes, 0)) sessions.push_back(std::move(session));
    }
  }
};

Movies& TheMovies() {
  static Movies movies;
  return movies;
}

void CopyFrames(benchmark::State& state) {
  Movies& m = TheMovies();
  for (auto _ : state) {
    for (size_t i = 0; i < m.sessions.size(); ++i) {
      m.frame[i] = static_cast<uint32_t>(i);
      std::memcpy(m.copy.data(), m.frame.data(), kPixels * 4);
      benchmark::ClobberMemory();
    }
  }
  state.counters["movies"] = static_cast<double>(m.sessions.size());
}

void DrawLists(benchmark::State& state) {
  Movies& m = TheMovies();
  for (auto _ : state) {
    for (const auto& session : m.sessions) benchmark::DoNotOptimize(session->DrawList(kWidth, kHeight));
  }
}

void DrawFrames(benchmark::State& state) {
  Movies& m = TheMovies();
  const zp::swf::PixelView view{m.frame.data(), kWidth, kHeight, kWidth};
  for (auto _ : state) {
    for (const auto& session : m.sessions) {
      zp::swf::FillPixels(view, session->Background());
      zp::swf::DrawItemsToPixels(view, session->DrawList(kWidth, kHeight), {}, session->Edges());
      benchmark::ClobberMemory();
    }
  }
}

BENCHMARK(CopyFrames);
BENCHMARK(DrawLists);
BENCHMARK(DrawFrames);

}  // namespace

int main(int argc, char** argv) {
  return zp::bench::RunWithRatios(argc, argv, {{"DrawLists", "CopyFrames"}, {"DrawFrames", "CopyFrames"}});
}
