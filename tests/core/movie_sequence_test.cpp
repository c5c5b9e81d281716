#include "core/sequence/movie_sequence.h"

#include <gtest/gtest.h>

#include <map>

namespace zp {
namespace {

constexpr int64_t kSecond = 10'000'000;
constexpr int64_t kTick = 40 * 10'000;  // 40 ms

struct FakeMeasurer : SequenceMeasurer {
  std::map<std::u16string, MovieInfo> movies;
  std::map<std::u16string, std::pair<int, int>> pictures;
  std::optional<MovieInfo> Movie(const std::u16string& path) override {
    const auto it = movies.find(path);
    return it == movies.end() ? std::nullopt : std::optional(it->second);
  }
  std::optional<std::pair<int, int>> Picture(const std::u16string& path) override {
    const auto it = pictures.find(path);
    return it == pictures.end() ? std::nullopt : std::optional(it->second);
  }
  void AddMovie(const std::u16string& path, uint32_t frames, uint32_t rate, int width = 550, int height = 400) {
    MovieInfo info;
    info.right = width;
    info.bottom = height;
    info.frameCount = frames;
    info.frameRate = rate;
    movies[path] = info;
  }
};

// A host whose movie plays one frame per tick until its last frame, like a movie control
// driven by the test.
struct FakeHost : SequenceHost {
  int64_t* now = nullptr;
  bool window = true;
  std::vector<std::u16string> loaded;
  int frame = 0;
  bool playing = false;
  bool ready = false;
  int pumpsUntilReady = 0;
  int pumps = 0;
  int stops = 0;
  std::vector<int> resets;

  bool HasWindow() const override { return window; }
  void LoadEntry(const SequenceItem& entry) override {
    loaded.push_back(entry.path);
    frame = 0;
    playing = true;
    ready = pumpsUntilReady == 0;
  }
  void StopPlay() override {
    playing = false;
    ++stops;
  }
  int GetCurrentFrame() override { return frame; }
  bool IsPlaying() override { return playing; }
  bool IsReady() override { return ready; }
  void ResetReady(int value) override {
    resets.push_back(value);
    ready = false;
  }
  bool PumpPendingMessages(int count) override {
    EXPECT_EQ(count, 500);
    ++pumps;
    *now += kSecond / 100;
    if (pumps >= pumpsUntilReady) ready = true;
    return window;
  }
};

class Sequence : public ::testing::Test {
 protected:
  Sequence() : sequence([this] { return now; }, &measurer) {
    host.now = &now;
    sequence.SetHost(&host);
    sequence.SetPeriod(40);
  }
  // Runs ticks until `ticks` have passed or an entry started; the number of ticks taken.
  int TicksUntilNewEntry(int limit) {
    for (int i = 1; i <= limit; ++i) {
      now += kTick;
      if (sequence.Step(current)) return i;
    }
    return -1;
  }

  int64_t now = 1000 * kSecond;
  FakeMeasurer measurer;
  FakeHost host;
  MovieSequence sequence;
  SequenceItem current;
};

TEST_F(Sequence, MovieIsFrameDrivenWhenItsOwnLengthMatchesThePlayTime) {
  measurer.AddMovie(u"a.swf", 120, 12);  // ten seconds
  measurer.AddMovie(u"b.SWF", 120, 12);
  ASSERT_TRUE(sequence.Add(u"a.swf", 0, 3, 10.3f));
  ASSERT_TRUE(sequence.Add(u"b.SWF", 1, 0, 11.0f));
  const auto& e = sequence.entries();
  EXPECT_FALSE(e[0].timed);
  EXPECT_TRUE(e[1].timed);
  EXPECT_EQ(e[0].lastFrame, 119);
  EXPECT_EQ(e[0].width, 550);
  EXPECT_EQ(e[0].height, 400);
  EXPECT_EQ(e[1].duration, 11 * kSecond);
  EXPECT_EQ(e[1].quality, 0);
}

TEST_F(Sequence, EntriesByKind) {
  measurer.pictures[u"p.JPG"] = {640, 480};
  measurer.AddMovie(u"zero.swf", 5, 12, 0, 0);
  measurer.AddMovie(u"control.swf", 5, 0);  // measured through the control: no frame rate
  EXPECT_TRUE(sequence.Add(u"p.JPG", 0, 3, 6.3f));
  EXPECT_TRUE(sequence.Add(u"page.html", 1, 3, 5.0f));
  EXPECT_TRUE(sequence.Add(u"unmeasured.tif", 2, 3, 5.0f));
  EXPECT_TRUE(sequence.Add(u"zero.swf", 3, 3, 5.0f / 12.0f));
  EXPECT_TRUE(sequence.Add(u"control.swf", 4, 3, 5.0f));
  EXPECT_FALSE(sequence.Add(u"notes.txt", 5, 3, 5.0f));
  EXPECT_FALSE(sequence.Add(u"unreadable.swf", 6, 3, 5.0f));
  EXPECT_FALSE(sequence.Add(u"dir.swf/noextension", 7, 3, 5.0f));
  const auto& e = sequence.entries();
  ASSERT_EQ(e.size(), 5u);
  EXPECT_TRUE(e[0].timed);
  EXPECT_EQ(e[0].lastFrame, 0);
  EXPECT_EQ(std::make_pair(e[0].width, e[0].height), std::make_pair(640, 480));
  EXPECT_NEAR(static_cast<double>(e[0].duration), 6.3 * kSecond, 10.0);
  EXPECT_EQ(std::make_pair(e[1].width, e[1].height), std::make_pair(400, 300));
  EXPECT_EQ(std::make_pair(e[2].width, e[2].height), std::make_pair(400, 300));
  EXPECT_EQ(std::make_pair(e[3].width, e[3].height), std::make_pair(400, 300));
  EXPECT_FALSE(e[3].timed);
  EXPECT_TRUE(e[4].timed);  // length 0 against 5 seconds
}

TEST_F(Sequence, OddPlayTimesNeverWrapTheClock) {
  EXPECT_TRUE(sequence.Add(u"a.png", 0, 3, -4.0f));
  EXPECT_TRUE(sequence.Add(u"b.png", 0, 3, std::numeric_limits<float>::quiet_NaN()));
  EXPECT_TRUE(sequence.Add(u"c.png", 0, 3, 9999999.0f));
  EXPECT_EQ(sequence.entries()[0].duration, 0);
  EXPECT_EQ(sequence.entries()[1].duration, 0);
  EXPECT_EQ(sequence.entries()[2].duration, 9999999 * kSecond);
}

TEST_F(Sequence, FirstTickStartsTheFirstEntryAfterTheReadyWait) {
  EXPECT_FALSE(sequence.Step(current));  // nothing to show
  sequence.Add(u"a.png", 0, 3, 1.0f);
  host.window = false;
  EXPECT_FALSE(sequence.Step(current));
  host.window = true;
  host.pumpsUntilReady = 3;
  ASSERT_TRUE(sequence.Step(current));
  EXPECT_EQ(current.path, u"a.png");
  EXPECT_EQ(host.pumps, 3);
  EXPECT_EQ(host.resets, std::vector<int>{1});
  EXPECT_FALSE(sequence.startPending());
  EXPECT_EQ(sequence.lastSeenFrame(), 0);
}

TEST_F(Sequence, ReadyWaitGivesUpInsteadOfHanging) {
  sequence.Add(u"a.swf", 0, 3, 1.0f);
  measurer.AddMovie(u"a.swf", 10, 10);
  sequence.Add(u"a.swf", 0, 3, 1.0f);
  host.pumpsUntilReady = 1 << 30;
  ASSERT_TRUE(sequence.Step(current));
  EXPECT_LE(host.pumps, 1001);  // ten seconds of 10 ms pumps
  EXPECT_GE(host.pumps, 999);
}

TEST_F(Sequence, PictureIsReplacedAfterItsPlayTimeAndPausingExtendsIt) {
  sequence.Add(u"a.png", 0, 3, 6.3f);
  sequence.Add(u"b.png", 1, 3, 6.3f);
  ASSERT_TRUE(sequence.Step(current));
  // 6.3 s at 40 ms a tick is the 158th tick (6.32 s).
  EXPECT_EQ(TicksUntilNewEntry(1000), 158);
  EXPECT_EQ(current.path, u"b.png");

  const int64_t secondStart = now;
  now += 1 * kSecond;
  sequence.SetPaused(true, current);
  sequence.SetPaused(true, current);  // pausing twice keeps the first start
  now += 2 * kSecond;
  EXPECT_FALSE(sequence.Step(current));
  sequence.SetPaused(false, current);
  EXPECT_EQ(current.endTime, secondStart + current.duration + 2 * kSecond);
  sequence.SetPaused(false, current);  // resuming twice adds nothing
  EXPECT_EQ(current.endTime, secondStart + current.duration + 2 * kSecond);
}

TEST_F(Sequence, FrameDrivenMovieAdvancesAtItsLastFrameOrWhenItGoesBack) {
  measurer.AddMovie(u"a.swf", 5, 12);
  measurer.AddMovie(u"b.swf", 5, 12);
  measurer.AddMovie(u"c.swf", 5, 12);
  sequence.SetLoop(false);
  sequence.Add(u"a.swf", 0, 3, 5.0f / 12);
  sequence.Add(u"b.swf", 1, 3, 5.0f / 12);
  sequence.Add(u"c.swf", 2, 3, 5.0f / 12);
  ASSERT_TRUE(sequence.Step(current));
  for (int f = 1; f < 4; ++f) {
    host.frame = f;
    EXPECT_FALSE(sequence.Step(current));
    EXPECT_EQ(sequence.lastSeenFrame(), f);
  }
  host.frame = 4;
  ASSERT_TRUE(sequence.Step(current));
  EXPECT_EQ(current.path, u"b.swf");
  host.frame = 3;
  EXPECT_FALSE(sequence.Step(current));
  host.frame = 1;  // jumped back
  ASSERT_TRUE(sequence.Step(current));
  EXPECT_EQ(current.path, u"c.swf");
  host.frame = 2;
  host.playing = false;  // stopped before its end
  EXPECT_FALSE(sequence.Step(current));  // no further entry and no loop
  EXPECT_TRUE(sequence.ended());
  EXPECT_EQ(sequence.lastSeenFrame(), -1);
  EXPECT_EQ(current.path, u"c.swf");  // the last item stays
}

TEST_F(Sequence, OneFrameMovieAdvancesAfterThreeSecondsWithoutProgress) {
  measurer.AddMovie(u"one.swf", 1, 12);
  sequence.Add(u"one.swf", 0, 3, 1.0f / 12);
  sequence.Add(u"next.png", 1, 3, 1.0f);
  ASSERT_TRUE(sequence.Step(current));
  EXPECT_FALSE(current.timed);
  // 76 ticks: 75 counted without progress, then 75 × 40 ms > 2999 advances.
  EXPECT_EQ(TicksUntilNewEntry(200), 76);
  EXPECT_EQ(current.path, u"next.png");
}

TEST_F(Sequence, MovieThatLoadsAnotherMovieIntoItselfIsLeftAlone) {
  measurer.AddMovie(u"a.swf", 50, 12);
  sequence.Add(u"a.swf", 0, 3, 50.0f / 12);
  sequence.Add(u"b.png", 1, 3, 1.0f);
  ASSERT_TRUE(sequence.Step(current));
  host.frame = 7;
  host.ready = true;  // the control reported ready state 4 again
  EXPECT_FALSE(sequence.Step(current));
  EXPECT_TRUE(sequence.ended());
  EXPECT_EQ(sequence.lastSeenFrame(), 7);
  EXPECT_EQ(host.resets.back(), 0);
}

TEST_F(Sequence, UnknownItemsAreSkippedAndLoopingGoesOnForever) {
  sequence.Add(u"a.png", 0, 3, 1.0f);
  sequence.Add(u"skip.doc", 1, 3, 1.0f);
  sequence.Add(u"b.htm", 2, 3, 1.0f);
  ASSERT_TRUE(sequence.Step(current));
  std::vector<std::u16string> shown{current.path};
  for (int i = 0; i < 9; ++i) {
    ASSERT_EQ(TicksUntilNewEntry(100), 25);  // one second of 40 ms ticks
    shown.push_back(current.path);
  }
  for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], i % 2 ? u"b.htm" : u"a.png") << i;
  EXPECT_FALSE(sequence.ended());
  EXPECT_EQ(host.loaded.size(), 10u);
}

TEST_F(Sequence, PausedSequenceStartsEntriesStoppedAndDoesNotStep) {
  measurer.AddMovie(u"a.swf", 2, 12);
  sequence.Add(u"a.swf", 0, 3, 2.0f / 12);
  sequence.SetPaused(true, current);
  const int stopsBefore = host.stops;
  ASSERT_TRUE(sequence.Step(current));
  EXPECT_EQ(host.stops, stopsBefore + 1);
  host.frame = 1;
  host.playing = true;
  EXPECT_FALSE(sequence.Step(current));
  EXPECT_EQ(sequence.lastSeenFrame(), 0);
}

TEST_F(Sequence, NextAndRestartWalkTheEntries) {
  sequence.Add(u"a.png", 0, 3, 1.0f);
  sequence.Add(u"b.png", 1, 3, 1.0f);
  SequenceItem item;
  EXPECT_TRUE(sequence.Next(item));
  EXPECT_EQ(item.path, u"a.png");
  EXPECT_TRUE(sequence.Next(item));
  EXPECT_FALSE(sequence.Next(item));
  EXPECT_EQ(item.path, u"b.png");
  EXPECT_TRUE(sequence.Restart(item));
  EXPECT_EQ(item.path, u"a.png");
  EXPECT_EQ(sequence.nextIndex(), 1u);
}

}  // namespace
}  // namespace zp
