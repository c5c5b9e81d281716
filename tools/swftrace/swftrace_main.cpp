// swftrace MOVIE [FRAMES]: loads the movie, steps FRAMES frames (default: the movie's own
// count, at least one) and prints every trace line.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/swf/swf_player.h"
#include "core/text.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: swftrace MOVIE [FRAMES]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto file = zp::swf::File::Parse(bytes);
  if (!file) {
    std::fprintf(stderr, "not a movie\n");
    return 1;
  }
  auto movie = zp::swf::Movie::Build(std::move(*file));
  zp::swf::Player player;
  player.Load(movie, 0);
  const int frames = argc > 2 ? std::stoi(argv[2]) : static_cast<int>(movie->FrameCount());
  const double interval = player.FrameIntervalMs();
  for (int i = 1; i < frames; ++i) player.Advance(static_cast<uint64_t>(std::ceil(i * interval)) + 1);
  for (const auto& line : player.TakeTraceLines()) std::printf("%s\n", zp::U16ToUtf8(line).c_str());
  return 0;
}
