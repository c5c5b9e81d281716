// Reads movie headers from arbitrary bytes, plain and compressed: never crashes, and whatever
// it accepts has the header's own frame count and a whole-number frame rate.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/sequence/movie_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto info = zp::ParseMovieInfo(std::span(data, size));
  if (info && (info->frameRate > 255 || info->frameCount > 65535)) std::abort();
  return 0;
}
