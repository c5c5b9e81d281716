#include "core/splash/gif_layout.h"

#include <gtest/gtest.h>

#include "gif_samples.h"

namespace zp::gif {
namespace {

using test::GifFrameRecipe;
using test::GifRecipe;
using test::MakeGif;

// Three frames: the whole screen, a small square with restore-to-background, and one with
// restore-to-previous, behind a loop extension and a comment.
GifRecipe ThreeFrames() {
  GifRecipe recipe;
  recipe.width = 20;
  recipe.height = 10;
  recipe.loopExtension = true;
  recipe.comment = "made for a test";
  recipe.frames = {GifFrameRecipe{0, 0, 0, 0, 0, 0, 0}, GifFrameRecipe{4, 2, 6, 5, 1, 4, 2}, GifFrameRecipe{1, 1, 3, 3, 2, 50, 3}};
  return recipe;
}

TEST(GifLayout, ReadsTheScreenAndEveryFrameWithItsPlaceDelayAndDisposal) {
  const auto data = MakeGif(ThreeFrames());
  const auto layout = ReadLayout(data);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->screen.width, 20);
  EXPECT_EQ(layout->screen.height, 10);
  EXPECT_EQ(layout->screen.globalTableSize, 12u);
  EXPECT_EQ(layout->screen.firstBlock, 25u);
  EXPECT_EQ(layout->graphicBlocks, 3u);
  ASSERT_EQ(layout->frames.size(), 3u);

  struct Expected {
    uint16_t left, top, width, height;
    int32_t delay;
    uint32_t disposal, milliseconds;
  };
  const Expected expected[] = {{0, 0, 20, 10, 0, 0, 100}, {4, 2, 6, 5, 4, 2, 100}, {1, 1, 3, 3, 50, 3, 500}};
  for (size_t i = 0; i < 3; ++i) {
    const Frame& frame = layout->frames[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(frame.left, expected[i].left);
    EXPECT_EQ(frame.top, expected[i].top);
    EXPECT_EQ(frame.width, expected[i].width);
    EXPECT_EQ(frame.height, expected[i].height);
    EXPECT_EQ(frame.delay, expected[i].delay);
    EXPECT_EQ(frame.disposal, expected[i].disposal);
    EXPECT_EQ(FrameMilliseconds(frame.delay), expected[i].milliseconds);
    // A frame begins at its graphic control and ends where the next one begins.
    EXPECT_EQ(data[frame.start], 0x21);
    EXPECT_EQ(data[frame.imageOffset], 0x2C);
    EXPECT_EQ(data[frame.end], i + 1 < 3 ? 0x21 : 0x3B);
  }
  // The extensions before the first graphic control belong to no frame.
  EXPECT_GT(layout->frames[0].start, layout->screen.firstBlock);
}

TEST(GifLayout, FramesWithoutGraphicControlHaveNoDelay) {
  GifRecipe recipe;
  recipe.frames = {GifFrameRecipe{}, GifFrameRecipe{}};
  const auto layout = ReadLayout(MakeGif(recipe));
  ASSERT_TRUE(layout);
  ASSERT_EQ(layout->frames.size(), 2u);
  EXPECT_EQ(layout->frames[1].delay, -1);
  EXPECT_EQ(layout->frames[1].disposal, 0u);
  EXPECT_EQ(layout->frames[1].start, layout->frames[1].imageOffset);
  EXPECT_EQ(FrameMilliseconds(-1), 100u);
}

TEST(GifLayout, HeadersThatCannotBeReadGiveNothing) {
  auto whole = MakeGif(ThreeFrames());
  auto cut = [&](size_t n) { return std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n)); };
  auto zeroWidth = whole;
  zeroWidth[6] = zeroWidth[7] = 0;
  auto version88 = whole;
  version88[4] = '8';
  const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1};

  const std::vector<std::vector<uint8_t>> unreadable = {cut(0), cut(6), cut(12), cut(13), cut(24), zeroWidth, version88, jpeg};
  for (size_t i = 0; i < unreadable.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_FALSE(ReadLayout(unreadable[i]));
  }
  EXPECT_TRUE(HasGifSignature(cut(6)));
  EXPECT_FALSE(HasGifSignature(jpeg));
  // The global table is complete at 25 bytes: a file of no blocks has no frames.
  const auto empty = ReadLayout(cut(25));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->graphicBlocks, 0u);
}

TEST(GifLayout, ATruncatedFileKeepsTheFramesBeforeTheCut) {
  const auto whole = MakeGif(ThreeFrames());
  const auto full = ReadLayout(whole);
  ASSERT_TRUE(full);
  size_t previous = 0;
  for (size_t n = 25; n <= whole.size(); ++n) {
    const auto layout = ReadLayout(std::span(whole.data(), n));
    ASSERT_TRUE(layout);
    size_t complete = 0;
    for (const auto& frame : full->frames) complete += frame.end <= n ? 1 : 0;
    ASSERT_EQ(layout->frames.size(), complete) << "cut at " << n;
    ASSERT_GE(complete, previous);
    previous = complete;
    for (const auto& frame : layout->frames) ASSERT_LE(frame.end, n);
  }
}

TEST(GifLayout, WalksStopAtStrangeBlocksAndCountPlainTextWithoutAFrame) {
  GifRecipe recipe;
  recipe.frames = {GifFrameRecipe{0, 0, 0, 0, 0, 10, 0}, GifFrameRecipe{0, 0, 0, 0, 1, 10, 0}};
  const auto two = MakeGif(recipe);
  const auto first = ReadLayout(two)->frames[0];

  auto withBlock = [&](std::vector<uint8_t> block) {
    auto data = two;
    data.insert(data.begin() + static_cast<std::ptrdiff_t>(first.end), block.begin(), block.end());
    return ReadLayout(data);
  };
  // An extension label nobody knows ends the walk after the first frame.
  const auto unknown = withBlock({0x21, 0x99, 1, 0, 0});
  EXPECT_EQ(unknown->graphicBlocks, 1u);
  EXPECT_EQ(unknown->frames.size(), 1u);
  // So does a sub-block whose size runs past the end of the data.
  const auto runaway = withBlock({0x21, 0xFE, 200, 'x'});
  EXPECT_EQ(runaway->frames.size(), 1u);
  // A plain-text block is a graphic without an image: counted, not played, the walk goes on.
  const auto plainText = withBlock({0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0, 2, 'h', 'i', 0});
  EXPECT_EQ(plainText->graphicBlocks, 3u);
  EXPECT_EQ(plainText->frames.size(), 2u);
}

TEST(GifLayout, LimitsBoundTheFramesKept) {
  GifRecipe recipe;
  recipe.width = recipe.height = 8;
  recipe.frames.assign(5, GifFrameRecipe{0, 0, 0, 0, 2, 10, 0});
  const auto data = MakeGif(recipe);
  EXPECT_EQ(ReadLayout(data, Limits{3, 1 << 20})->frames.size(), 3u);
  EXPECT_EQ(ReadLayout(data, Limits{3, 1 << 20})->graphicBlocks, 3u);
  // 64 pixels a frame: a budget of 200 holds three. A first frame beyond the budget still
  // counts as a graphic, so the file can go to the whole-picture loader.
  EXPECT_EQ(ReadLayout(data, Limits{1000, 200})->frames.size(), 3u);
  const auto tooLarge = ReadLayout(data, Limits{1000, 10});
  EXPECT_EQ(tooLarge->frames.size(), 0u);
  EXPECT_EQ(tooLarge->graphicBlocks, 1u);
}

TEST(GifLayout, AStandaloneFrameIsAGifOfTheFrameAtTheOrigin) {
  const auto data = MakeGif(ThreeFrames());
  const auto layout = ReadLayout(data);
  const Frame& second = layout->frames[1];
  const auto alone = StandaloneFrame(data, layout->screen, second);

  const auto reread = ReadLayout(alone);
  ASSERT_TRUE(reread);
  EXPECT_EQ(reread->screen.width, second.width);
  EXPECT_EQ(reread->screen.height, second.height);
  EXPECT_EQ(reread->graphicBlocks, 1u);
  ASSERT_EQ(reread->frames.size(), 1u);
  const Frame& copy = reread->frames[0];
  EXPECT_EQ(copy.left, 0);
  EXPECT_EQ(copy.top, 0);
  EXPECT_EQ(copy.width, second.width);
  EXPECT_EQ(copy.delay, second.delay);
  EXPECT_EQ(copy.disposal, second.disposal);
  EXPECT_EQ(alone.back(), 0x3B);
  // The colour table and the image data travel unchanged.
  EXPECT_TRUE(std::equal(data.begin() + 10, data.begin() + 25, alone.begin() + 10));
  EXPECT_TRUE(std::equal(data.begin() + static_cast<std::ptrdiff_t>(second.imageOffset + 9),
                         data.begin() + static_cast<std::ptrdiff_t>(second.end), alone.begin() + static_cast<std::ptrdiff_t>(copy.imageOffset + 9)));

  Frame outside = second;
  outside.end = data.size() + 1;
  EXPECT_TRUE(StandaloneFrame(data, layout->screen, outside).empty());
}

}  // namespace
}  // namespace zp::gif
