#include "core/sequence/movie_info.h"

#include <limits>

#include "core/byte_order.h"
#include "core/swf/swf_file.h"
#include "core/zlib_codec.h"
#include "platform/platform.h"

namespace zp {
namespace {

constexpr size_t kFixedHeaderSize = 8;  // signature, version, length

bool HasSignature(std::span<const uint8_t> bytes, char first) {
  return bytes[0] == static_cast<uint8_t>(first) && bytes[1] == 'W' && bytes[2] == 'S';
}

MovieInfo FromHeader(const swf::Header& header, bool compressed) {
  MovieInfo info;
  info.compressed = compressed;
  info.version = header.version;
  info.fileLength = header.fileLength;
  info.left = header.stage.xMin / 20;
  info.right = header.stage.xMax / 20;
  info.top = header.stage.yMin / 20;
  info.bottom = header.stage.yMax / 20;
  info.frameRate = header.WholeFrameRate();
  info.frameCount = header.frameCount;
  return info;
}

uint32_t ClampedSize(uint64_t size) {
  return size > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                     : static_cast<uint32_t>(size);
}

}  // namespace

MovieInfo MovieInfoFailureDefaults(uint32_t fileSize) {
  MovieInfo info;
  info.fileLength = fileSize;
  return info;
}

std::optional<MovieInfo> ParseMovieInfo(std::span<const uint8_t> bytes) {
  if (bytes.size() <= kFixedHeaderSize) return std::nullopt;
  if (HasSignature(bytes, 'F')) {
    const auto header = swf::ParseUncompressedHeader(bytes, nullptr);
    if (!header) return std::nullopt;
    return FromHeader(*header, false);
  }
  if (!HasSignature(bytes, 'C')) return std::nullopt;
  const uint32_t declared = ReadU32(bytes, 4).value_or(0);
  // A declared length below the fixed header cannot describe any file.
  if (declared < kFixedHeaderSize) return std::nullopt;
  auto body = InflateExact(bytes.subspan(kFixedHeaderSize), declared - static_cast<uint32_t>(kFixedHeaderSize));
  if (!body) return std::nullopt;
  std::vector<uint8_t> image(bytes.begin(), bytes.begin() + kFixedHeaderSize);
  image.insert(image.end(), body->begin(), body->end());
  image[0] = 'F';
  const auto header = swf::ParseUncompressedHeader(image, nullptr);
  if (!header) return std::nullopt;
  return FromHeader(*header, true);
}

bool ReadMovieInfo(const std::u16string& path, MovieInfo& info, const MovieMeasurer& measurer) {
  platform::MappedFile file;
  const size_t size = file.Map(path);
  info = MovieInfoFailureDefaults(ClampedSize(size));
  if (size <= kFixedHeaderSize) return false;
  const auto bytes = file.bytes();
  if (HasSignature(bytes, 'F') || HasSignature(bytes, 'C')) {
    auto parsed = ParseMovieInfo(bytes);
    if (!parsed) return false;
    info = *parsed;
    return true;
  }
  file.Release();
  if (!measurer) return false;
  const auto measured = measurer(path);
  if (!measured) return false;
  info = MovieInfo{};
  info.compressed = true;
  info.version = 0;
  info.fileLength = ClampedSize(size);
  info.left = 0;
  info.top = 0;
  info.right = measured->width;
  info.bottom = measured->height;
  info.frameRate = 0;
  info.frameCount = measured->frameCount;
  return true;
}

int32_t LeadingInteger(const std::u16string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > std::numeric_limits<int32_t>::max()) {
      value = std::numeric_limits<int32_t>::max();
      break;
    }
  }
  return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace zp
