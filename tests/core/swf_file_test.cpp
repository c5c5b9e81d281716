#include "core/swf/swf_file.h"

#include <gtest/gtest.h>

#include "core/swf/swf_bits.h"
#include "core/swf/swf_movie.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using swfgen::ActionWriter;
using swfgen::MovieWriter;

swfgen::Bytes TwoFrameMovie(bool compressed, double rate = 12.5) {
  MovieWriter m(6, 550, 400, rate);
  m.Background({0, 0, 255});
  m.DefineRect(1, {0, 0, 2000, 1000}, {255, 0, 0});
  m.Place(1, 1, 200, 300).Label("one").ShowFrame();
  m.Remove(1).Label("two").ShowFrame();
  return m.Finish(compressed);
}

TEST(SwfFile, ReadsTheHeaderFields) {
  const auto bytes = TwoFrameMovie(false);
  const auto file = File::Parse(bytes);
  ASSERT_TRUE(file);
  const Header& h = file->header();
  EXPECT_FALSE(h.compressed);
  EXPECT_EQ(h.version, 6);
  EXPECT_EQ(h.fileLength, bytes.size());
  // 550 × 400 pixels needs 15-bit fields: 11000 twips.
  EXPECT_EQ(h.stage, (TwipsRect{0, 11000, 0, 8000}));
  EXPECT_EQ(h.stage.Width() / 20, 550);
  EXPECT_EQ(h.frameCount, 2);
  // 12.5 frames per second: 12.5 for timing, 12 where a whole number is asked.
  EXPECT_DOUBLE_EQ(h.FrameRate(), 12.5);
  EXPECT_EQ(h.WholeFrameRate(), 12u);
  EXPECT_FALSE(file->truncated());
}

TEST(SwfFile, StageRectangleUsesFifteenBitFields) {
  const auto bytes = TwoFrameMovie(false);
  BitReader reader(std::span<const uint8_t>(bytes).subspan(8));
  EXPECT_EQ(reader.UB(5), 15u);
}

TEST(SwfFile, CompressedMovieEqualsItsPlainForm) {
  const auto plain = File::Parse(TwoFrameMovie(false));
  const auto packed = File::Parse(TwoFrameMovie(true));
  ASSERT_TRUE(plain && packed);
  EXPECT_TRUE(packed->header().compressed);
  EXPECT_EQ(packed->header().stage, plain->header().stage);
  EXPECT_EQ(packed->header().frameRate8_8, plain->header().frameRate8_8);
  EXPECT_EQ(packed->header().frameCount, plain->header().frameCount);
  EXPECT_EQ(packed->bytes(), plain->bytes());
  ASSERT_EQ(packed->tags().size(), plain->tags().size());
  for (size_t i = 0; i < plain->tags().size(); ++i) EXPECT_EQ(packed->tags()[i].code, plain->tags()[i].code);
}

TEST(SwfFile, MalformedInputFailsCleanly) {
  const auto good = TwoFrameMovie(false);
  const auto packed = TwoFrameMovie(true);
  EXPECT_FALSE(File::Parse({}));
  EXPECT_FALSE(File::Parse(std::span(good).first(7)));
  EXPECT_FALSE(File::Parse(std::span(good).first(9)));  // rectangle cut short
  auto wrongSignature = good;
  wrongSignature[0] = 'X';
  EXPECT_FALSE(File::Parse(wrongSignature));
  // A truncated compressed body does not inflate to the declared length.
  EXPECT_FALSE(File::Parse(std::span(packed).first(packed.size() - 5)));
  auto lying = packed;
  lying[4] += 1;  // one byte more declared than the stream holds
  EXPECT_FALSE(File::Parse(lying));
  auto tiny = packed;
  tiny[4] = 3, tiny[5] = tiny[6] = tiny[7] = 0;  // shorter than the header itself
  EXPECT_FALSE(File::Parse(tiny));
}

TEST(SwfFile, TagLengthsPastTheEndStopTheTagList) {
  MovieWriter m(6, 100, 100, 12);
  m.ShowFrame();
  auto bytes = m.Finish(false);
  // Append a long-form tag claiming more bytes than follow, then one with a negative length.
  auto longTag = bytes;
  longTag.resize(longTag.size() - 2);  // drop End
  for (uint8_t b : {0x3F, 0x03, 0x00, 0x10, 0x00, 0x00, 0x01, 0x02}) longTag.push_back(b);
  auto file = File::Parse(longTag);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->truncated());
  EXPECT_EQ(file->tags().size(), 1u);  // the ShowFrame before it

  auto negative = bytes;
  negative.resize(negative.size() - 2);
  for (uint8_t b : {0x3F, 0x03, 0xFF, 0xFF, 0xFF, 0xFF}) negative.push_back(b);
  file = File::Parse(negative);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->truncated());

  auto shortLength = bytes;
  shortLength.resize(shortLength.size() - 2);
  for (uint8_t b : {0x05, 0x03}) shortLength.push_back(b);  // 5 bytes announced, none follow
  file = File::Parse(shortLength);
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->truncated());
}

TEST(SwfFile, ReadsTagsInOddChunksOfTheSameMovie) {
  // Every prefix of a good movie either fails or parses without reading past its end.
  const auto bytes = TwoFrameMovie(false);
  for (size_t n = 0; n <= bytes.size(); ++n) {
    const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    if (auto file = File::Parse(prefix)) Movie::Build(std::move(*file));
  }
}

TEST(SwfMovie, BuildsFramesLabelsAndShapes) {
  auto file = File::Parse(TwoFrameMovie(true));
  ASSERT_TRUE(file);
  const auto movie = Movie::Build(std::move(*file));
  ASSERT_EQ(movie->FrameCount(), 2u);
  EXPECT_EQ(movie->frames()[0].label, u"one");
  EXPECT_EQ(movie->FindLabel(u"TWO"), 1u);
  EXPECT_FALSE(movie->FindLabel(u"three"));
  const ShapeDefinition* shape = movie->FindShape(1);
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->bounds, (TwipsRect{0, 2000, 0, 1000}));
  ASSERT_EQ(shape->geometry.parts.size(), 1u);
  EXPECT_EQ(shape->geometry.parts[0].paint.color, (Rgba{255, 0, 0, 255}));
  ASSERT_EQ(shape->geometry.parts[0].contours.size(), 1u);
  EXPECT_EQ(shape->geometry.parts[0].contours[0].size(), 5u);  // closed rectangle
}

TEST(SwfMovie, CurvedEdgesCloseIntoOneContour) {
  MovieWriter m(6, 100, 100, 12);
  m.DefineEllipse(7, {0, 0, 2000, 1000}, {0, 255, 0, 128});
  m.ShowFrame();
  auto file = File::Parse(m.Finish(false));
  ASSERT_TRUE(file);
  const auto movie = Movie::Build(std::move(*file));
  const ShapeDefinition* shape = movie->FindShape(7);
  ASSERT_NE(shape, nullptr);
  ASSERT_EQ(shape->geometry.parts.size(), 1u);
  const auto& contour = shape->geometry.parts[0].contours.at(0);
  EXPECT_EQ(contour.size(), 8u * kCurveSegments + 1);
  EXPECT_EQ(contour.front(), contour.back());
  EXPECT_EQ(shape->geometry.parts[0].paint.color.a, 128);
  for (const Point& p : contour) {
    EXPECT_GE(p.x, -1);
    EXPECT_LE(p.x, 2001);
  }
}

TEST(SwfMovie, OutlinedRectangleHasAStroke) {
  MovieWriter m(6, 100, 100, 12);
  m.DefineRect(1, {0, 0, 400, 400}, {1, 2, 3}, swfgen::Color{9, 9, 9}, 40);
  m.ShowFrame();
  auto file = File::Parse(m.Finish(false));
  const auto movie = Movie::Build(std::move(*file));
  const auto& parts = movie->FindShape(1)->geometry.parts;
  ASSERT_EQ(parts.size(), 2u);
  ASSERT_TRUE(parts[1].stroke);
  EXPECT_EQ(parts[1].line.width, 40);
  ASSERT_EQ(parts[1].contours.size(), 1u);
  EXPECT_EQ(parts[1].contours[0].size(), 5u);
}

TEST(SwfMovie, ContentAfterTheLastShowFrameIsAFinalFrameAndEmptyMovieHasOne) {
  MovieWriter empty(6, 100, 100, 12);
  auto file = File::Parse(empty.Finish(false));
  EXPECT_EQ(Movie::Build(std::move(*file))->FrameCount(), 1u);

  MovieWriter trailing(6, 100, 100, 12);
  trailing.ShowFrame().Actions(ActionWriter().Stop());
  file = File::Parse(trailing.Finish(false));
  EXPECT_EQ(Movie::Build(std::move(*file))->FrameCount(), 2u);
}

TEST(SwfBits, SignedFieldsAndStickyError) {
  const uint8_t data[] = {0b10110000, 0xFF};
  BitReader r(data);
  EXPECT_EQ(r.SB(3), -3);  // 101
  EXPECT_EQ(r.UB(2), 2u);  // 10
  EXPECT_EQ(r.U8(), 0xFF);
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.U16(), 0);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.U8(), 0);  // stays failed
}

}  // namespace
}  // namespace zp::swf
