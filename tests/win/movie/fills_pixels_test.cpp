// Gradients, bitmaps (lossless and JPEG through the system's decoder), joins and fill rules
// drawn by the GDI+ back end into premultiplied pixels.
#include <gtest/gtest.h>

#include <objidl.h>
#include <shlwapi.h>

#include <cstdlib>
#include <vector>

#include "controls/movie/gdiplus_renderer.h"
#include "core/swf/movie_session.h"
#include "package/gdiplus_session.h"
#include "swf_writer.h"

namespace zp::test {
namespace {

using swfgen::MovieWriter;
using swfgen::ShapeWriter;

// A 100 × 100 stage drawn at 100 × 100 pixels on white.
struct Drawn {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(100 * 100, 0);
  zp::swf::MovieSession session;
  uint32_t At(int x, int y) const { return pixels[y * 100 + x] & 0xFFFFFF; }
};

void Draw(const MovieWriter& m, Drawn& out) {
  ASSERT_TRUE(out.session.LoadBytes(m.Finish(false), 0));
  ASSERT_TRUE(zp::movie::DrawMovieToPixels(out.pixels.data(), 100, 100, 400, zp::swf::Rgba{255, 255, 255, 255},
                                           out.session.DrawList(100, 100)));
}

void ExpectNear(uint32_t actual, uint32_t expected, int tolerance, const char* what) {
  for (int shift : {0, 8, 16}) {
    EXPECT_NEAR(static_cast<int>((actual >> shift) & 0xFF), static_cast<int>((expected >> shift) & 0xFF), tolerance)
        << what << std::hex << " 0x" << actual << " vs 0x" << expected;
  }
}

// A picture of one colour, as the system's JPEG encoder writes it.
std::vector<uint8_t> EncodeJpeg(int width, int height, Gdiplus::ARGB color) {
  namespace gp = Gdiplus::DllExports;
  std::vector<uint8_t> out;
  UINT count = 0, size = 0;
  if (gp::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0) return out;
  std::vector<uint8_t> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  gp::GdipGetImageEncoders(count, size, encoders);
  const CLSID* jpeg = nullptr;
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(encoders[i].MimeType, L"image/jpeg") == 0) jpeg = &encoders[i].Clsid;
  }
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (!jpeg || gp::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Gdiplus::Ok) {
    return out;
  }
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) gp::GdipBitmapSetPixel(bitmap, x, y, color);
  IStream* stream = SHCreateMemStream(nullptr, 0);
  if (stream && gp::GdipSaveImageToStream(bitmap, stream, jpeg, nullptr) == Gdiplus::Ok) {
    STATSTG stat{};
    stream->Stat(&stat, STATFLAG_NONAME);
    out.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    stream->Read(out.data(), static_cast<ULONG>(out.size()), &read);
    out.resize(read);
  }
  if (stream) stream->Release();
  gp::GdipDisposeImage(bitmap);
  return out;
}

TEST(MovieFillsPixels, GradientsMatchTheCoreAndBitmapsShowTheirPixels) {
  const GdiplusSession gdiplus;
  ASSERT_TRUE(gdiplus.started());
  ShapeWriter s(3);
  swfgen::GradientSpec g;  // black to white across the left half
  g.matrix = {1000.0 / 32768, 0, 0, 1000.0 / 32768, 500, 500};
  g.stops = {{0, {0, 0, 0, 255}}, {255, {255, 255, 255, 255}}};
  s.Fill(swfgen::GradientFillStyle(g, true));
  s.Fill(swfgen::BitmapFillStyle(0x43, 9, {20, 0, 0, 20, 1000, 0}));  // 1:1 at (50, 0), clipped
  s.Fill(swfgen::BitmapFillStyle(0x43, 10, {200, 0, 0, 200, 1000, 1000}));
  s.Rect({0, 0, 1000, 1000}, 1, 0).Rect({1000, 0, 2000, 1000}, 2, 0).Rect({1000, 1000, 2000, 2000}, 3, 0);
  MovieWriter m(8, 100, 100, 12);
  // 2 × 1: red, half-transparent blue (premultiplied).
  m.DefineBitsLossless(9, true, 5, 2, 1, {255, 255, 0, 0, 128, 0, 0, 128});
  const std::vector<uint8_t> jpeg = EncodeJpeg(8, 8, 0xFF20C040);
  ASSERT_FALSE(jpeg.empty());
  std::vector<uint8_t> body = jpeg;
  body.insert(body.begin(), {uint8_t{10}, uint8_t{0}});  // the bitmap's id
  m.Tag(21, body);  // DefineBitsJPEG2
  m.DefineShape(1, {0, 0, 2000, 2000}, s).Place(1, 1).ShowFrame();
  Drawn d;
  Draw(m, d);
  for (int x : {5, 25, 45}) {
    const int grey = static_cast<int>(255.0 * (x + 0.5) / 50 + 0.5);
    ExpectNear(d.At(x, 20), grey * 0x010101u, 8, "gradient");
  }
  EXPECT_EQ(d.At(50, 0), 0xFF0000u);
  ExpectNear(d.At(51, 0), 0x7F7FFFu, 2, "half-transparent blue over white");
  ExpectNear(d.At(70, 30), 0x0000FFu | 0x7F7F00u, 2, "clipped: the edge pixel extends");
  ExpectNear(d.At(75, 75), 0x20C040u, 8, "JPEG bitmap");
}

TEST(MovieFillsPixels, JoinsAndFillRulesShapeTheOutline) {
  const GdiplusSession gdiplus;
  ASSERT_TRUE(gdiplus.started());
  // Three squares outlined 10 pixels wide: miter, bevel and round joins; the outer corner
  // pixel is covered by the miter only.
  struct Case {
    uint8_t join;
    bool cornerDrawn;
  };
  for (const Case c : {Case{2, true}, Case{1, false}, Case{0, false}}) {
    ShapeWriter s(4);
    ShapeWriter::LineStyle2 style;
    style.join = c.join;
    s.Line(200, {0, 0, 0, 255}, style).Rect({400, 400, 1600, 1600}, 0, 1);
    MovieWriter m(8, 100, 100, 12);
    m.DefineShape(1, {0, 0, 2000, 2000}, s).Place(1, 1).ShowFrame();
    Drawn d;
    Draw(m, d);
    EXPECT_EQ(d.At(50, 20), 0u) << int(c.join);  // on the edge
    EXPECT_EQ(d.At(15, 15) == 0u, c.cornerDrawn) << int(c.join);
  }
  // Two overlapping squares of one fill, running the same way: the overlap is a hole under the
  // even-odd rule and filled under the non-zero rule.
  for (const bool nonZero : {false, true}) {
    ShapeWriter s(4);
    s.Fill(swfgen::SolidFillStyle({0, 0, 255, 255}, true));
    if (nonZero) s.NonZeroWinding();
    s.Rect({0, 0, 1200, 1200}, 1, 0).Rect({600, 600, 1800, 1800}, 1, 0);
    MovieWriter m(8, 100, 100, 12);
    m.DefineShape(1, {0, 0, 1800, 1800}, s).Place(1, 1).ShowFrame();
    Drawn d;
    Draw(m, d);
    EXPECT_EQ(d.At(10, 10), 0x0000FFu);
    EXPECT_EQ(d.At(45, 45), nonZero ? 0x0000FFu : 0xFFFFFFu) << nonZero;
  }
}

}  // namespace
}  // namespace zp::test
