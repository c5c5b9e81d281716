#include <gtest/gtest.h>

#include "core/swf/swf_player.h"
#include "example_movies.h"

namespace zp::swf {
namespace {

std::shared_ptr<const Movie> Parse(const swfgen::Bytes& bytes) {
  auto file = File::Parse(bytes);
  EXPECT_TRUE(file);
  return file ? Movie::Build(std::move(*file)) : nullptr;
}

// The example presentation's movies: a few seconds at 12 fps, shapes that change each frame.
TEST(SwfExamples, IntroPlaysThreeSecondsOfChangingShapes) {
  const auto movie = Parse(swfgen::MakeIntroMovie());
  ASSERT_TRUE(movie);
  EXPECT_FALSE(movie->header().compressed);
  EXPECT_EQ(movie->header().WholeFrameRate(), 12u);
  EXPECT_EQ(movie->FrameCount(), 36u);
  EXPECT_EQ(movie->header().frameCount, 36u);
  EXPECT_EQ(movie->header().stage.Width(), 550 * 20);
  Player p;
  p.Load(movie, 0);
  const size_t objects = p.displayList().size();
  const double x = p.displayList().at(2).matrix.tx;
  p.Forward();
  EXPECT_EQ(p.displayList().size(), objects);
  EXPECT_NE(p.displayList().at(2).matrix.tx, x);
  EXPECT_TRUE(p.TakeFsCommands().empty());
}

TEST(SwfExamples, MainIsCompressedAndSendsOnlyTrace) {
  const auto movie = Parse(swfgen::MakeMainMovie());
  ASSERT_TRUE(movie);
  EXPECT_TRUE(movie->header().compressed);
  EXPECT_EQ(movie->FrameCount(), 36u);
  Player p;
  p.Load(movie, 0);
  for (uint64_t t = 1; t <= 36; ++t) p.Advance(t * 1000 / 12 + 1);
  const auto commands = p.TakeFsCommands();
  ASSERT_EQ(commands.size(), 3u);  // frame 0, the last frame, frame 0 again
  for (const auto& c : commands) EXPECT_EQ(c.command, u"trace");
  EXPECT_EQ(p.currentFrame(), 0u);
}

}  // namespace
}  // namespace zp::swf
