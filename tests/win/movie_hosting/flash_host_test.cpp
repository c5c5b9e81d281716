#include "player/flash_host.h"

#include <gtest/gtest.h>

#include <vector>

#include "movie_test_support.h"
#include "platform/wide.h"
#include "swf_writer.h"
#include "test_files.h"

namespace zp::player {
namespace {

class FlashHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    top_ = CreateWindowExW(0, L"STATIC", L"player", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 500,
                           400, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top_);
    CMovieControl::offerInstall = false;
    ASSERT_TRUE(host_.CreateHost(top_, false, RECT{0, 0, 440, 330}));
  }
  void TearDown() override {
    host_.Destroy();
    DestroyWindow(top_);
  }
  std::wstring Movie(const char16_t* name, int frames, double rate = 12) {
    zp::swfgen::MovieWriter m(6, 550, 400, rate);
    for (int i = 0; i < frames; ++i) m.ShowFrame();
    const auto path = scratch_.File(name);
    EXPECT_TRUE(test::WriteBytes(path, m.Finish(false)));
    return ToWide(path);
  }
  std::wstring File(const char16_t* name) {
    const auto path = scratch_.File(name);
    EXPECT_TRUE(test::WriteBytes(path, test::ToBytes("not really a picture")));
    return ToWide(path);
  }

  HWND top_ = nullptr;
  CFlashHost host_;
  test::ScratchDirectory scratch_;
};

TEST_F(FlashHostTest, StartsWithAPictureAndSwitchesKindsDestroyingTheOthers) {
  EXPECT_EQ(host_.kind(), CFlashHost::kPicture);
  ASSERT_TRUE(host_.pictureWindow());
  EXPECT_EQ(GetDlgCtrlID(host_.pictureWindow()), 23415);

  ASSERT_TRUE(host_.ShowItem(L"  " + Movie(u"a.swf", 3) + L" "));
  EXPECT_EQ(host_.kind(), CFlashHost::kMovie);
  EXPECT_FALSE(host_.pictureWindow());
  HWND control = host_.movie().GetControlWindow();
  ASSERT_TRUE(control);
  RECT r;
  GetClientRect(control, &r);
  EXPECT_GT(r.right, 400);  // moved over the host's whole client area (440 less the edge)

  ASSERT_TRUE(host_.ShowItem(File(u"page.html")));
  EXPECT_EQ(host_.kind(), CFlashHost::kWeb);
  EXPECT_FALSE(host_.movie().GetControlWindow());
  EXPECT_EQ(GetDlgCtrlID(host_.webFrame()), 27531);

  // A sound is shown as a picture: the empty picture window in the background colour.
  ASSERT_TRUE(host_.ShowItem(File(u"tune.WAV")));
  EXPECT_EQ(host_.kind(), CFlashHost::kPicture);
  EXPECT_TRUE(host_.pictureWindow());
  EXPECT_FALSE(host_.webFrame());

  // A missing file changes nothing but the recorded path.
  EXPECT_TRUE(host_.ShowItem(ToWide(scratch_.File(u"missing.swf"))));
  EXPECT_EQ(host_.kind(), CFlashHost::kPicture);
}

TEST_F(FlashHostTest, PictureOperations) {
  host_.SetBackgroundColour(-1);
  EXPECT_EQ(host_.backgroundColour(), 0xFFFFFF);
  host_.StopPlay();
  EXPECT_FALSE(host_.IsPlaying());
  host_.Play();
  EXPECT_TRUE(host_.IsPlaying());
  EXPECT_TRUE(host_.IsReady());
  EXPECT_EQ(host_.GetCurrentFrame(), 1);
  EXPECT_FALSE(host_.HasTimeline());
  EXPECT_TRUE(host_.MovieExists());
  host_.SetZoomRect(0, 0, 550, 400);
  EXPECT_EQ(host_.viewRect().right, 550);
  host_.SetQuality(1);
  EXPECT_EQ(host_.GetQuality(), 1);
}

TEST_F(FlashHostTest, LoadEntryAppliesQualityUnlessTheCodeIsThree) {
  const std::wstring path = Movie(u"q.swf", 4);
  SequenceItem entry;
  entry.path = FromWide(path);
  entry.width = 550;
  entry.height = 400;
  entry.quality = 2;
  ASSERT_TRUE(host_.LoadEntry(entry));
  EXPECT_EQ(host_.movie().flashCtrl().TGetProperty(L"/", 16), L"0");
  // Code 3 sets nothing: low quality stays (setting it would have asked for high).
  entry.quality = 3;
  ASSERT_TRUE(host_.LoadEntry(entry));
  EXPECT_EQ(host_.GetQuality(), 3);
  EXPECT_EQ(host_.movie().flashCtrl().TGetProperty(L"/", 16), L"0");
  entry.quality = 0;
  ASSERT_TRUE(host_.LoadEntry(entry));
  EXPECT_EQ(host_.movie().flashCtrl().TGetProperty(L"/", 16), L"2");

  host_.SetStretchToWindow(true);
  ASSERT_TRUE(host_.LoadEntry(entry));
  EXPECT_NE(host_.movie().flashCtrl().TGetProperty(L"/", 2), L"100");  // fitted to the window

  entry.path = u"notes.txt";
  EXPECT_FALSE(host_.LoadEntry(entry));
}

TEST_F(FlashHostTest, IsPlayingFollowsTheMovie) {
  ASSERT_TRUE(host_.ShowItem(Movie(u"p.swf", 10)));
  EXPECT_TRUE(host_.IsPlaying());
  host_.StopPlay();
  EXPECT_FALSE(host_.IsPlaying());
  EXPECT_TRUE(host_.paused());
  host_.Play();
  EXPECT_TRUE(host_.IsPlaying());
  EXPECT_TRUE(host_.HasTimeline());
}

TEST_F(FlashHostTest, SequencePlaysMoviesInOrderOnTheRealControl) {
  struct HeaderMeasurer : SequenceMeasurer {
    std::optional<MovieInfo> Movie(const std::u16string& path) override {
      MovieInfo info;
      if (!ReadMovieInfo(path, info)) return std::nullopt;
      return info;
    }
    std::optional<std::pair<int, int>> Picture(const std::u16string&) override { return std::nullopt; }
  } measurer;
  MovieSequence sequence(FileTimeNow, &measurer);
  FlashHostSequenceAdapter adapter(host_, [] { return true; });
  sequence.SetHost(&adapter);
  sequence.SetPeriod(40);
  sequence.SetLoop(false);
  const auto first = FromWide(Movie(u"first.swf", 6, 30));
  const auto second = FromWide(Movie(u"second.swf", 6, 30));
  const auto picture = FromWide(File(u"last.png"));
  ASSERT_TRUE(sequence.Add(first, 0, 3, 0.2f));   // its own length: frame-driven
  ASSERT_TRUE(sequence.Add(second, 1, 3, 0.2f));
  ASSERT_TRUE(sequence.Add(picture, 2, 3, 0.3f)); // timed

  SequenceItem current;
  std::vector<std::u16string> shown;
  const DWORD start = GetTickCount();
  while (!sequence.ended() && GetTickCount() - start < 15000) {
    if (sequence.Step(current)) shown.push_back(current.path);
    adapter.PumpPendingMessages(500);
    Sleep(20);
  }
  ASSERT_TRUE(sequence.ended());
  EXPECT_EQ(shown, (std::vector<std::u16string>{first, second, picture}));
  EXPECT_EQ(host_.kind(), CFlashHost::kPicture);  // the last item stays
}

}  // namespace
}  // namespace zp::player
