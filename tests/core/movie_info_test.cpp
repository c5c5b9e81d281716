#include "core/sequence/movie_info.h"

#include <gtest/gtest.h>

#include "core/zlib_codec.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp {
namespace {

swfgen::Bytes Movie(bool compressed, double rate = 12.5, int frames = 3) {
  swfgen::MovieWriter m(6, 550, 400, rate);
  m.Background({10, 20, 30});
  for (int i = 0; i < frames; ++i) m.ShowFrame();
  return m.Finish(compressed);
}

TEST(MovieInfo, ReadsAnUncompressedHeader) {
  const auto bytes = Movie(false);
  ASSERT_EQ(bytes[8] >> 3, 15);  // 550 × 400 pixels need 15-bit fields
  const auto info = ParseMovieInfo(bytes);
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->compressed);
  EXPECT_EQ(info->version, 6u);
  EXPECT_EQ(info->fileLength, bytes.size());
  EXPECT_EQ(info->left, 0);
  EXPECT_EQ(info->top, 0);
  EXPECT_EQ(info->right, 550);
  EXPECT_EQ(info->bottom, 400);
  EXPECT_EQ(info->frameRate, 12u);  // 12.5 frames per second: the fraction is dropped
  EXPECT_EQ(info->frameCount, 3u);
}

TEST(MovieInfo, CompressedEqualsItsUncompressedForm) {
  const auto plain = ParseMovieInfo(Movie(false));
  const auto packed = ParseMovieInfo(Movie(true));
  ASSERT_TRUE(plain && packed);
  EXPECT_TRUE(packed->compressed);
  EXPECT_EQ(packed->version, plain->version);
  EXPECT_EQ(packed->fileLength, plain->fileLength);
  EXPECT_EQ(std::tie(packed->left, packed->top, packed->right, packed->bottom, packed->frameRate, packed->frameCount),
            std::tie(plain->left, plain->top, plain->right, plain->bottom, plain->frameRate, plain->frameCount));
}

TEST(MovieInfo, NegativeStageCoordinatesDivideTowardZero) {
  // n = 8: xMin -30 twips (-1.5 px → -1), xMax 50 (2.5 → 2), yMin -19 (→ 0), yMax 100 (→ 5).
  swfgen::BitWriter w;
  for (char c : std::string("FWS")) w.U8(static_cast<uint8_t>(c));
  w.U8(6);
  w.U32(0);
  w.UB(8, 5);
  w.SB(-30, 8);
  w.SB(50, 8);
  w.SB(-19, 8);
  w.SB(100, 8);
  w.Flush();
  w.U16(0x0C00);
  w.U16(7);
  const auto info = ParseMovieInfo(w.bytes());
  ASSERT_TRUE(info);
  EXPECT_EQ(info->left, -1);
  EXPECT_EQ(info->right, 2);
  EXPECT_EQ(info->top, 0);
  EXPECT_EQ(info->bottom, 5);
  EXPECT_EQ(info->frameCount, 7u);
}

TEST(MovieInfo, ShortDamagedAndForeignInputsFail) {
  const auto plain = Movie(false);
  const auto packed = Movie(true);
  EXPECT_FALSE(ParseMovieInfo(std::span(plain).first(8)));
  EXPECT_FALSE(ParseMovieInfo(std::span(plain).first(12)));  // rectangle cut short
  EXPECT_FALSE(ParseMovieInfo(std::span(packed).first(packed.size() - 3)));  // truncated stream
  EXPECT_FALSE(ParseMovieInfo(test::ToBytes("GIF89a and some more bytes")));

  // A declared length the stream does not fill, or overfills, fails.
  auto longer = packed;
  longer[4] = static_cast<uint8_t>(longer[4] + 1);
  EXPECT_FALSE(ParseMovieInfo(longer));
  auto shorter = packed;
  shorter[4] = static_cast<uint8_t>(shorter[4] - 1);
  EXPECT_FALSE(ParseMovieInfo(shorter));
  // A declared length below the fixed header.
  auto tiny = packed;
  tiny[4] = 3;
  tiny[5] = tiny[6] = tiny[7] = 0;
  EXPECT_FALSE(ParseMovieInfo(tiny));
  // A compressed stream whose inflated image is too short for the header.
  const std::vector<uint8_t> two{0x50, 0x00};
  auto stub = test::Concat({test::ToBytes("CWS"), std::vector<uint8_t>{6, 10, 0, 0, 0}, Deflate(two)});
  EXPECT_FALSE(ParseMovieInfo(stub));
}

TEST(MovieInfo, ReadsFilesAndFallsBackToTheMeasurerForOthers) {
  test::ScratchDirectory dir;
  const auto movie = dir.File(u"a.swf");
  ASSERT_TRUE(test::WriteBytes(movie, Movie(true)));
  MovieInfo info;
  ASSERT_TRUE(ReadMovieInfo(movie, info));
  EXPECT_TRUE(info.compressed);
  EXPECT_EQ(info.right, 550);

  const auto picture = dir.File(u"b.png");
  const auto pictureBytes = test::RandomBytes(100, 7);
  ASSERT_TRUE(test::WriteBytes(picture, pictureBytes));
  EXPECT_FALSE(ReadMovieInfo(picture, info));  // no measurer: failure defaults
  EXPECT_FALSE(info.compressed);
  EXPECT_EQ(info.fileLength, 100u);
  EXPECT_EQ(std::tie(info.left, info.top, info.right, info.bottom, info.frameCount),
            std::make_tuple(0, 0, 600, 400, 1u));

  std::u16string asked;
  ASSERT_TRUE(ReadMovieInfo(picture, info, [&](const std::u16string& path) {
    asked = path;
    return std::optional<MeasuredMovie>(MeasuredMovie{320, 0, 1});
  }));
  EXPECT_EQ(asked, picture);
  EXPECT_TRUE(info.compressed);
  EXPECT_EQ(info.version, 0u);
  EXPECT_EQ(info.fileLength, 100u);
  EXPECT_EQ(info.right, 320);
  EXPECT_EQ(info.bottom, 0);
  EXPECT_EQ(info.frameRate, 0u);

  EXPECT_FALSE(ReadMovieInfo(picture, info, [](const std::u16string&) { return std::optional<MeasuredMovie>(); }));

  const auto eight = dir.File(u"c.swf");
  const auto whole = Movie(false);
  ASSERT_TRUE(test::WriteBytes(eight, std::span(whole).first(8)));
  EXPECT_FALSE(ReadMovieInfo(eight, info));
  EXPECT_FALSE(ReadMovieInfo(dir.File(u"missing.swf"), info));
  EXPECT_EQ(info.fileLength, 0u);
}

TEST(MovieInfo, LeadingIntegerReadsWhatTheControlReports) {
  EXPECT_EQ(LeadingInteger(u"550"), 550);
  EXPECT_EQ(LeadingInteger(u"  -12.5px"), -12);
  EXPECT_EQ(LeadingInteger(u"+7"), 7);
  EXPECT_EQ(LeadingInteger(u""), 0);
  EXPECT_EQ(LeadingInteger(u"abc"), 0);
  EXPECT_EQ(LeadingInteger(u"99999999999999"), 2147483647);
}

}  // namespace
}  // namespace zp
