#include "core/swf/swf_player.h"

#include <gtest/gtest.h>

#include "swf_writer.h"

namespace zp::swf {
namespace {

using swfgen::ActionWriter;
using swfgen::MovieWriter;

std::shared_ptr<const Movie> Build(const MovieWriter& m, bool compressed = false) {
  auto file = File::Parse(m.Finish(compressed));
  EXPECT_TRUE(file);
  return Movie::Build(std::move(*file));
}

// Frames 0..n-1, frame i places shape 1 at depth 1 moved to x = i * 100 twips.
MovieWriter Counting(int frames, double rate = 10) {
  MovieWriter m(6, 100, 100, rate);
  m.DefineRect(1, {0, 0, 100, 100}, {255, 0, 0});
  m.Place(1, 1, 0, 0);
  for (int i = 0; i < frames; ++i) {
    if (i > 0) m.Move(1, i * 100, 0);
    m.ShowFrame();
  }
  return m;
}

TEST(SwfPlayer, AdvancesAtTheFrameRateAndLoops) {
  Player p;
  p.Load(Build(Counting(3)), 1000);  // 10 fps: a frame every 100 ms
  EXPECT_TRUE(p.playing());
  EXPECT_EQ(p.currentFrame(), 0u);
  EXPECT_EQ(p.Advance(1099), 0);
  EXPECT_EQ(p.Advance(1100), 1);
  EXPECT_EQ(p.currentFrame(), 1u);
  EXPECT_EQ(p.displayList().at(1).matrix.tx, 100);
  p.Advance(1200);
  EXPECT_EQ(p.currentFrame(), 2u);
  p.Advance(1300);  // loops
  EXPECT_EQ(p.currentFrame(), 0u);
  EXPECT_EQ(p.displayList().at(1).matrix.tx, 0);
}

TEST(SwfPlayer, StepFramesPlaysWithoutTheClockAndStopsWherePlayingStops) {
  Player p;
  p.Load(Build(Counting(3)), 1000);
  EXPECT_EQ(p.StepFrames(4), 4);  // 1, 2, then round to 0 and 1
  EXPECT_EQ(p.currentFrame(), 1u);
  EXPECT_EQ(p.Advance(1099), 0);  // the clock is where it was
  p.SetLoop(false);
  EXPECT_EQ(p.StepFrames(5), 2);  // frame 2, then the end stops playing
  EXPECT_EQ(p.currentFrame(), 2u);
  EXPECT_FALSE(p.playing());
  EXPECT_EQ(p.StepFrames(1), 0);
  p.Unload();
  EXPECT_EQ(p.StepFrames(1), 0);
}

TEST(SwfPlayer, FractionalFrameRateTimesExactly) {
  Player p;
  p.Load(Build(Counting(100, 12.5)), 0);  // 80 ms per frame
  EXPECT_DOUBLE_EQ(p.FrameIntervalMs(), 80);
  for (uint64_t t = 0; t <= 800; t += 10) p.Advance(t);
  EXPECT_EQ(p.currentFrame(), 10u);
}

TEST(SwfPlayer, WithoutLoopStopsOnTheLastFrame) {
  Player p;
  p.Load(Build(Counting(2)), 0);
  p.SetLoop(false);
  p.Advance(100);
  EXPECT_EQ(p.currentFrame(), 1u);
  p.Advance(200);
  EXPECT_EQ(p.currentFrame(), 1u);
  EXPECT_FALSE(p.playing());
}

TEST(SwfPlayer, LongStallCatchesUpOnlyAFewFrames) {
  Player p;
  p.Load(Build(Counting(50)), 0);
  EXPECT_EQ(p.Advance(10000), 4);
  EXPECT_EQ(p.Advance(10050), 0);
  EXPECT_EQ(p.Advance(10100), 1);
}

TEST(SwfPlayer, ControlOperations) {
  Player p;
  p.Load(Build(Counting(5)), 0);
  p.Forward();
  EXPECT_EQ(p.currentFrame(), 1u);
  EXPECT_FALSE(p.playing());
  p.Forward();
  p.Back();
  EXPECT_EQ(p.currentFrame(), 1u);
  p.Play();
  EXPECT_TRUE(p.playing());
  p.Rewind();
  EXPECT_EQ(p.currentFrame(), 0u);
  EXPECT_FALSE(p.playing());
  p.Back();
  EXPECT_EQ(p.currentFrame(), 0u);
  p.GotoFrameAndStop(99);
  EXPECT_EQ(p.currentFrame(), 4u);
  EXPECT_EQ(p.displayList().at(1).matrix.tx, 400);
  // Stopped time does not pile up: playing again waits a whole frame.
  p.Advance(5000);
  p.Play();
  EXPECT_EQ(p.Advance(5050), 0);
}

TEST(SwfPlayer, FrameActionsStopAndSendCommandsInOrder) {
  MovieWriter m(6, 100, 100, 10);
  m.Actions(ActionWriter().FsCommand("first", "a").FsCommand("second", "b")).ShowFrame();
  m.ShowFrame();
  m.Actions(ActionWriter().GetUrl("fscommand:third", "c").GetUrl("http://example.invalid/", "_blank").Stop());
  m.ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  p.Advance(100);
  p.Advance(200);
  p.Advance(300);
  EXPECT_EQ(p.currentFrame(), 2u);
  EXPECT_FALSE(p.playing());
  const auto commands = p.TakeFsCommands();
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].command, u"first");
  EXPECT_EQ(commands[0].arguments, u"a");
  EXPECT_EQ(commands[1].command, u"second");
  EXPECT_EQ(commands[2].command, u"third");
  EXPECT_EQ(commands[2].arguments, u"c");
  EXPECT_TRUE(p.TakeFsCommands().empty());
}

TEST(SwfPlayer, GotoLabelAndGotoRunTheTargetFramesActions) {
  MovieWriter m(6, 100, 100, 10);
  m.Actions(ActionWriter().GotoLabel("end")).ShowFrame();
  m.Actions(ActionWriter().FsCommand("skipped", "")).ShowFrame();
  m.Label("end").Actions(ActionWriter().FsCommand("at end", "").Stop()).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  EXPECT_EQ(p.currentFrame(), 2u);
  EXPECT_FALSE(p.playing());
  const auto commands = p.TakeFsCommands();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].command, u"at end");
}

TEST(SwfPlayer, FramesThatJumpToEachOtherForeverAreBounded) {
  // Each frame reports itself and jumps to the other: the jumps do run one after the other,
  // every step ends after a bounded number of them, and the movie goes on playing.
  MovieWriter m(6, 100, 100, 10);
  m.Actions(ActionWriter().FsCommand("frame", "0").GotoFrame(1)).ShowFrame();
  m.Actions(ActionWriter().FsCommand("frame", "1").GotoFrame(0)).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  const auto loaded = p.TakeFsCommands();
  ASSERT_GT(loaded.size(), 2u);
  EXPECT_LE(loaded.size(), 1000u);
  for (size_t i = 0; i < loaded.size(); ++i) ASSERT_EQ(loaded[i].arguments, i % 2 == 0 ? u"0" : u"1") << i;
  EXPECT_EQ(p.Advance(100), 1);
  const auto advanced = p.TakeFsCommands();
  EXPECT_GT(advanced.size(), 0u);
  EXPECT_LE(advanced.size(), 1000u);
  EXPECT_TRUE(p.playing());
}

TEST(SwfPlayer, VariablesSetFromOutsideAreReadByActions) {
  // Frame 1: if (fscmd_ret == "yes") fscommand("answered", fscmd_ret)
  MovieWriter m(6, 100, 100, 10);
  m.ShowFrame();
  m.Actions(ActionWriter()
                .Push({std::string("fscmd_ret")})
                .Op(kActionGetVariable)
                .Push({std::string("yes")})
                .Op(kActionEquals2)
                .Op(kActionNot)
                .If("skip")
                .Push({std::string("FSCommand:answered"), std::string("fscmd_ret")})
                .Op(kActionGetVariable)
                .GetUrl2()
                .Mark("skip")
                .Stop());
  m.ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  p.SetVariable(u"fscmd_ret", Value(u"yes"));
  p.Advance(100);
  const auto commands = p.TakeFsCommands();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].command, u"answered");
  EXPECT_EQ(commands[0].arguments, u"yes");
  EXPECT_EQ(p.GetVariable(u"/:fscmd_ret"), Value(u"yes"));
  EXPECT_EQ(p.GetVariable(u"_root.fscmd_ret"), Value(u"yes"));

  Player q;
  q.Load(Build(m), 0);
  q.SetVariable(u"fscmd_ret", Value(u"no"));
  q.Advance(100);
  EXPECT_TRUE(q.TakeFsCommands().empty());
}

// The first SetBackgroundColor stands: a later one changes nothing.
TEST(SwfPlayer, DisplayListFollowsRemoveAndTheFirstBackgroundStands) {
  MovieWriter m(6, 100, 100, 10);
  m.Background({1, 2, 3});
  m.DefineRect(1, {0, 0, 100, 100}, {255, 0, 0});
  m.Place(1, 1).Place(2, 1, 50, 50).ShowFrame();
  m.Remove(1).Background({4, 5, 6}).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  EXPECT_EQ(p.displayList().size(), 2u);
  EXPECT_EQ(p.background(), (Rgba{1, 2, 3, 255}));
  p.Forward();
  EXPECT_EQ(p.displayList().size(), 1u);
  EXPECT_EQ(p.background(), (Rgba{1, 2, 3, 255}));
  EXPECT_TRUE(p.TakeRedraw());
  EXPECT_FALSE(p.TakeRedraw());
  p.Rewind();  // rebuilt from the start
  EXPECT_EQ(p.displayList().size(), 2u);
  EXPECT_EQ(p.background(), (Rgba{1, 2, 3, 255}));
}

TEST(SwfPlayer, RedrawOnlyWhenAFrameChangesWhatIsVisible) {
  MovieWriter m(6, 100, 100, 10);
  m.DefineRect(1, {0, 0, 100, 100}, {255, 0, 0});
  m.Place(1, 1).ShowFrame();
  m.ShowFrame();            // nothing changes
  m.Move(1, 50, 0).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  EXPECT_TRUE(p.TakeRedraw());
  p.Advance(100);
  EXPECT_EQ(p.currentFrame(), 1u);
  EXPECT_FALSE(p.TakeRedraw());
  p.Advance(200);
  EXPECT_TRUE(p.TakeRedraw());
  p.Advance(300);  // loops back: the square moves back
  EXPECT_EQ(p.currentFrame(), 0u);
  EXPECT_TRUE(p.TakeRedraw());
}

TEST(SwfPlayer, UnloadClearsEverything) {
  Player p;
  p.Load(Build(Counting(3)), 0);
  p.SetVariable(u"x", Value(1));
  p.Unload();
  EXPECT_FALSE(p.loaded());
  EXPECT_EQ(p.frameCount(), 0u);
  EXPECT_FALSE(p.playing());
  EXPECT_EQ(p.Advance(1000), 0);
  EXPECT_EQ(p.GetVariable(u"x"), Value());
  p.Play();
  p.Forward();
  EXPECT_FALSE(p.playing());
}

}  // namespace
}  // namespace zp::swf

namespace zp::swf {
namespace {

// Trace lines come out in order, converted as the movie's version expects, one line per break.
TEST(SwfPlayerTrace, LinesInOrderConvertedByVersion) {
  const auto traced = [](uint8_t version, const ActionWriter& actions) {
    MovieWriter m(version, 100, 100, 10);
    m.Actions(actions).ShowFrame();
    Player p;
    p.Load(Build(m), 0);
    return p.TakeTraceLines();
  };
  ActionWriter a;
  // undefined itself traces by its name; joined to text it is empty before version 7.
  a.Push({std::monostate{}}).Op(kActionTrace);
  a.Push({std::string(""), std::monostate{}}).Op(kActionAdd2).Op(kActionTrace);
  a.Push({std::string("a\rb\r\nc")}).Op(kActionTrace);
  a.Push({1.5}).Op(kActionTrace);
  const std::vector<std::u16string> v7 = {u"undefined", u"undefined", u"a", u"b", u"", u"c", u"1.5"};
  const std::vector<std::u16string> v6 = {u"undefined", u"", u"a", u"b", u"", u"c", u"1.5"};
  EXPECT_EQ(traced(7, a), v7);
  EXPECT_EQ(traced(6, a), v6);
  Player empty;
  EXPECT_TRUE(empty.TakeTraceLines().empty());
}

}  // namespace
}  // namespace zp::swf
