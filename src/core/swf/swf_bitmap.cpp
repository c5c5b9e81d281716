#include "core/swf/swf_bitmap.h"

#include <algorithm>

#include "core/pictures/picture_header.h"
#include "core/swf/swf_bits.h"
#include "core/zlib_codec.h"

namespace zp::swf {
namespace {

enum LosslessFormat : uint8_t { kColorMapped8 = 3, kRgb15 = 4, kRgb32 = 5 };

bool StartsWith(std::span<const uint8_t> bytes, std::initializer_list<uint8_t> prefix) {
  return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

bool WithinBudget(uint32_t width, uint32_t height) {
  return width > 0 && height > 0 && uint64_t{width} * height <= kMaxBitmapPixels;
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  // Stored premultiplied; a colour above its alpha would not be, so it is kept within it.
  return (a << 24) | (std::min(r, a) << 16) | (std::min(g, a) << 8) | std::min(b, a);
}

// Appends the marker segments of one JPEG piece, leaving out start and end markers; the
// scan data after a start-of-scan marker is copied to the end of the piece.
bool AppendSegments(std::span<const uint8_t> piece, std::vector<uint8_t>& out, bool& sawScan) {
  size_t p = 0;
  while (p < piece.size()) {
    if (piece[p] != 0xFF) return false;
    while (p < piece.size() && piece[p] == 0xFF) ++p;  // fill bytes
    if (p >= piece.size()) break;
    const uint8_t marker = piece[p++];
    if (marker == 0xD8 || marker == 0xD9) continue;
    if (marker == 0xDA) {
      out.push_back(0xFF);
      out.insert(out.end(), piece.begin() + static_cast<std::ptrdiff_t>(p) - 1, piece.end());
      sawScan = true;
      return true;
    }
    if (p + 2 > piece.size()) return false;
    const size_t length = (size_t{piece[p]} << 8) | piece[p + 1];
    if (length < 2 || p + length > piece.size()) return false;
    out.push_back(0xFF);
    out.push_back(marker);
    out.insert(out.end(), piece.begin() + static_cast<std::ptrdiff_t>(p),
               piece.begin() + static_cast<std::ptrdiff_t>(p + length));
    p += length;
  }
  return true;
}

std::shared_ptr<MovieBitmap> ReadLossless(BitReader& reader, bool withAlpha, uint16_t id) {
  auto bitmap = std::make_shared<MovieBitmap>();
  bitmap->id = id;
  const uint8_t format = reader.U8();
  const uint32_t width = reader.U16(), height = reader.U16();
  const uint32_t tableSize = format == kColorMapped8 ? reader.U8() + 1u : 0;
  if (!reader.ok() || !WithinBudget(width, height)) return bitmap;
  const size_t entryBytes = withAlpha ? 4 : 3;
  size_t rowBytes, headBytes = 0;
  if (format == kColorMapped8) {
    rowBytes = (width + 3) & ~size_t{3};
    headBytes = tableSize * entryBytes;
  } else if (format == kRgb15 && !withAlpha) {
    rowBytes = (width * 2 + 3) & ~size_t{3};
  } else if (format == kRgb32) {
    rowBytes = width * 4;
  } else {
    return bitmap;
  }
  const auto data = InflateExact(reader.Bytes(reader.remaining()), static_cast<uint32_t>(headBytes + rowBytes * height));
  if (!data) return bitmap;
  const uint8_t* table = data->data();
  const uint8_t* rows = table + headBytes;
  BitmapPixels& px = bitmap->pixels;
  px.width = static_cast<int>(width);
  px.height = static_cast<int>(height);
  px.argb.resize(size_t{width} * height);
  for (uint32_t y = 0; y < height; ++y) {
    const uint8_t* row = rows + size_t{y} * rowBytes;
    for (uint32_t x = 0; x < width; ++x) {
      uint32_t c = 0;
      if (format == kColorMapped8) {
        const uint32_t index = row[x];
        if (index < tableSize) {
          const uint8_t* e = table + index * entryBytes;
          c = Argb(withAlpha ? e[3] : 255, e[0], e[1], e[2]);
        }
      } else if (format == kRgb15) {
        const uint32_t v = (uint32_t{row[x * 2]} << 8) | row[x * 2 + 1];
        auto five = [](uint32_t f) { return (f << 3) | (f >> 2); };
        c = Argb(255, five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31));
      } else {
        const uint8_t* e = row + x * 4;
        c = Argb(withAlpha ? e[0] : 255, e[1], e[2], e[3]);
      }
      px.argb[size_t{y} * width + x] = c;
    }
  }
  return bitmap;
}

}  // namespace

bool IsBitmapTag(uint16_t tagCode) {
  switch (tagCode) {
    case kTagDefineBits:
    case kTagDefineBitsLossless:
    case kTagDefineBitsJpeg2:
    case kTagDefineBitsJpeg3:
    case kTagDefineBitsLossless2:
    case kTagDefineBitsJpeg4:
      return true;
    default:
      return false;
  }
}

std::vector<uint8_t> AssembleJpeg(std::span<const uint8_t> tables, std::span<const uint8_t> data) {
  if (StartsWith(data, {0x89, 'P', 'N', 'G'}) || StartsWith(data, {'G', 'I', 'F', '8'})) {
    return {data.begin(), data.end()};
  }
  std::vector<uint8_t> out{0xFF, 0xD8};
  bool sawScan = false;
  if (!AppendSegments(tables, out, sawScan) || sawScan) return {};
  if (!AppendSegments(data, out, sawScan) || !sawScan) return {};
  if (!(out[out.size() - 2] == 0xFF && out.back() == 0xD9)) {
    out.push_back(0xFF);
    out.push_back(0xD9);
  }
  return out;
}

std::shared_ptr<const MovieBitmap> ParseBitmap(uint16_t tagCode, std::span<const uint8_t> body,
                                               std::span<const uint8_t> jpegTables) {
  BitReader reader(body);
  const uint16_t id = reader.U16();
  if (!reader.ok()) return nullptr;
  if (tagCode == kTagDefineBitsLossless || tagCode == kTagDefineBitsLossless2) {
    return ReadLossless(reader, tagCode == kTagDefineBitsLossless2, id);
  }
  auto bitmap = std::make_shared<MovieBitmap>();
  bitmap->id = id;
  std::span<const uint8_t> image;
  std::span<const uint8_t> alpha;
  if (tagCode == kTagDefineBitsJpeg3 || tagCode == kTagDefineBitsJpeg4) {
    const uint32_t alphaOffset = reader.U32();
    if (tagCode == kTagDefineBitsJpeg4) reader.U16();  // deblocking strength: not applied
    image = reader.Bytes(alphaOffset);
    alpha = reader.Bytes(reader.remaining());
  } else {
    image = reader.Bytes(reader.remaining());
  }
  if (!reader.ok()) return bitmap;
  std::vector<uint8_t> file = AssembleJpeg(tagCode == kTagDefineBits ? jpegTables : std::span<const uint8_t>{}, image);
  const auto size = pictures::ReadPictureHeaderSize(file);
  if (!size || !WithinBudget(static_cast<uint32_t>(size->width), static_cast<uint32_t>(size->height))) return bitmap;
  // The alpha plane belongs to JPEG data only; a PNG or GIF brings its own.
  if (!alpha.empty() && file[0] == 0xFF) {
    const uint32_t count = static_cast<uint32_t>(size->width) * static_cast<uint32_t>(size->height);
    if (auto plane = InflateExact(alpha, count)) bitmap->alpha = std::move(*plane);
  }
  bitmap->jpeg = std::move(file);
  return bitmap;
}

}  // namespace zp::swf
