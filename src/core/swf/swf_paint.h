// What fills an area or a stroke: a plain colour, a gradient (linear, radial, or radial with a
// focal point) or a bitmap, and the pixels of the movie's bitmaps. Portable: the paint of a
// draw item is turned into premultiplied pixels here, so that every drawing back end shows
// gradients and bitmaps the same way.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "core/swf/swf_effects.h"  // GradientStop
#include "core/swf/swf_geometry.h"

namespace zp::swf {

enum class PaintKind : uint8_t { kSolid, kLinearGradient, kRadialGradient, kFocalGradient, kBitmap };
enum class SpreadMode : uint8_t { kPad = 0, kReflect = 1, kRepeat = 2 };
enum class GradientInterpolation : uint8_t { kRgb = 0, kLinearRgb = 1 };
enum class LineCap : uint8_t { kRound = 0, kNone = 1, kSquare = 2 };
enum class LineJoin : uint8_t { kRound = 0, kBevel = 1, kMiter = 2 };

inline constexpr size_t kMaxGradientStops = 15;
// Gradients are defined on this square, centred on the origin, before their matrix maps them.
inline constexpr double kGradientHalfSize = 16384;

struct Gradient {
  std::vector<GradientStop> stops;  // at most kMaxGradientStops, ratios as stored
  SpreadMode spread = SpreadMode::kPad;
  GradientInterpolation interpolation = GradientInterpolation::kRgb;
  double focalPoint = 0;  // -1..1 along the gradient's x axis; focal gradients only
  bool operator==(const Gradient&) const = default;
};

// Premultiplied 0xAARRGGBB pixels, top row first.
struct BitmapPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
};

// Bitmaps bigger than this count as undecodable: they draw as nothing.
inline constexpr uint64_t kMaxBitmapPixels = 4096ull * 4096ull;

// A bitmap character of the movie. Lossless bitmaps are decoded when the movie is read; JPEG
// (and PNG or GIF in a JPEG tag) data is kept whole and decoded by the drawing side on first
// use, then kept here.
struct MovieBitmap {
  uint16_t id = 0;
  BitmapPixels pixels;          // lossless, or JPEG once decoded
  std::vector<uint8_t> jpeg;    // a complete image file, tables included
  std::vector<uint8_t> alpha;   // one byte per pixel to apply to `jpeg`'s pixels, or empty

  // The pixels to draw, or nullptr when the bitmap cannot be shown. `decode(bytes, pixels)`
  // turns `jpeg` into premultiplied pixels and says whether it could; it runs at most once.
  template <typename Decode>
  const BitmapPixels* Pixels(Decode&& decode) const {
    if (jpeg.empty()) return pixels.argb.empty() ? nullptr : &pixels;
    std::lock_guard lock(decodeMutex_);
    if (!decodeTried_) {
      decodeTried_ = true;
      BitmapPixels decoded;
      if (decode(jpeg, decoded) && ApplyAlphaPlane(decoded, alpha)) decoded_ = std::move(decoded);
    }
    return decoded_.argb.empty() ? nullptr : &decoded_;
  }

  // Gives opaque pixels the alpha of a plane of bytes (none: left opaque). The colours were
  // stored already multiplied by that alpha, so they are only kept within it. Fails when the
  // plane is too short for the picture or the picture is over the pixel budget.
  static bool ApplyAlphaPlane(BitmapPixels& pixels, const std::vector<uint8_t>& alpha);

 private:
  mutable std::mutex decodeMutex_;
  mutable bool decodeTried_ = false;
  mutable BitmapPixels decoded_;
};

// A fill style or the fill of a line style, in the space of the shape (twips); after
// BuildDrawList, in device pixels.
struct Paint {
  PaintKind kind = PaintKind::kSolid;
  Rgba color;        // solid
  Gradient gradient; // gradients
  // Gradients: maps the gradient square onto the shape. Bitmaps: maps pixels onto the shape.
  Matrix matrix;
  uint16_t bitmapId = 0;
  std::shared_ptr<const MovieBitmap> bitmap;  // bound when drawn
  bool repeat = true;     // bitmaps: tiled, or clipped (edge pixels extend)
  bool smoothed = true;   // bitmaps: bilinear, or nearest pixel
  ColorTransform bitmapTransform;  // bitmaps: applied to each pixel when drawn
  bool operator==(const Paint& other) const {
    return kind == other.kind && color == other.color && gradient == other.gradient && matrix == other.matrix &&
           bitmapId == other.bitmapId && repeat == other.repeat && smoothed == other.smoothed;
  }
};

// The same paint seen through a colour transform: every gradient stop, or every bitmap pixel.
Paint TransformPaint(const Paint& paint, const ColorTransform& cx);

// 256 premultiplied 0xAARRGGBB colours from ratio 0 to 255.
std::vector<uint32_t> GradientRamp(const Gradient& gradient);

// The paint's colours over the device rectangle (x0, y0, width, height), each pixel sampled at
// its centre, as premultiplied 0xAARRGGBB pixels. `paint.matrix` maps to device pixels;
// `pixels` are the bitmap's for a bitmap paint. Fails for an empty or over-budget rectangle.
bool RasterisePaint(const Paint& paint, const BitmapPixels* pixels, int x0, int y0, int width, int height,
                    std::vector<uint32_t>& out);

// Inverse of an affine matrix; nothing for a matrix that collapses the plane.
std::optional<Matrix> Invert(const Matrix& m);

}  // namespace zp::swf
