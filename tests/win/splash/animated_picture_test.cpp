#include "splash/animated_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "gif_samples.h"
#include "pump_until.h"

namespace zp::splash {
namespace {

using test::GifFrameRecipe;
using test::GifRecipe;
using test::MakeGif;

using test::PumpUntil;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// Red over the whole screen, a green square that restores what was under it, then a small blue
// corner shown for half a second.
GifRecipe ThreeFrames() {
  GifRecipe recipe;
  recipe.width = 40;
  recipe.height = 30;
  recipe.loopExtension = true;
  recipe.frames = {GifFrameRecipe{0, 0, 0, 0, 0, 0, 1}, GifFrameRecipe{10, 5, 10, 10, 1, 4, 3},
                 GifFrameRecipe{0, 0, 4, 4, 2, 50, 0}};
  return recipe;
}

// The frames the animation thread drew, in order, with when and on which thread.
struct FrameLog {
  struct Entry {
    size_t frame;
    ULONGLONG at;
    DWORD thread;
    bool comReady;  // the drawing thread has COM of its own for the pictures it renders
  };
  std::mutex lock;
  std::vector<Entry> entries;

  void Attach(AnimatedPicture& picture) {
    picture.SetFrameObserver([this](size_t frame) {
      std::lock_guard guard(lock);
      APTTYPE type{};
      APTTYPEQUALIFIER qualifier{};
      const bool comReady = CoGetApartmentType(&type, &qualifier) == S_OK && type == APTTYPE_STA;
      entries.push_back({frame, GetTickCount64(), GetCurrentThreadId(), comReady});
    });
  }
  std::vector<Entry> Snapshot() {
    std::lock_guard guard(lock);
    return entries;
  }
  size_t Count() { return Snapshot().size(); }
};

class AnimatedPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ASSERT_TRUE(parent_.Create(0, L"splash test", WS_POPUP | WS_VISIBLE, 50, 50, 200, 200, nullptr));
    HWND control = CreateWindowW(L"Static", L"text", WS_CHILD | WS_VISIBLE, 5, 5, 10, 10, parent_.hwnd(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(picture_.Subclass(control));
  }
  void TearDown() override {
    picture_.Unload();
    CoUninitialize();
  }

  COLORREF PixelOnScreen(int x, int y) {
    UpdateWindow(picture_.hwnd());
    HDC dc = GetDC(picture_.hwnd());
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(picture_.hwnd(), dc);
    return colour;
  }
  SIZE ControlSize() {
    RECT rect{};
    GetWindowRect(picture_.hwnd(), &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
  }

  win::Window parent_;
  AnimatedPicture picture_;
};

TEST_F(AnimatedPictureTest, AnimationPlaysEveryFrameInOrderForItsTimeAndRestoresWhatAFrameCovered) {
  FrameLog log;
  log.Attach(picture_);
  ASSERT_TRUE(picture_.LoadFromMemory(MakeGif(ThreeFrames())));
  EXPECT_EQ(picture_.frameCount(), 3u);
  EXPECT_TRUE(picture_.animated());
  // The control takes the logical screen's size, not the first frame's.
  EXPECT_EQ(ControlSize().cx, 40);
  EXPECT_EQ(ControlSize().cy, 30);

  ASSERT_TRUE(picture_.Draw());
  // While the blue corner shows, the green square's area is red again. A busy machine may
  // look too late, after the next frame: then it looks again in a later round.
  std::vector<COLORREF> seen;
  for (size_t shown = 3; shown <= 12 && seen.empty(); shown += 3) {
    ASSERT_TRUE(PumpUntil([&] { return log.Count() >= shown; }, 10000));
    std::vector<COLORREF> sample = {PixelOnScreen(1, 1), PixelOnScreen(15, 10), PixelOnScreen(30, 20)};
    if (log.Count() == shown) seen = sample;
  }
  EXPECT_EQ(seen, (std::vector<COLORREF>{kBlue, kRed, kRed}));
  ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 5; }, 10000));
  picture_.Stop();
  EXPECT_FALSE(picture_.playing());

  const auto entries = log.Snapshot();
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].frame, i % 3) << i;
    EXPECT_TRUE(entries[i].comReady) << i;
  }
  // Delays of 0 and 4 hundredths show for a tenth of a second, 50 for half a second.
  EXPECT_GE(entries[1].at - entries[0].at, 90u);
  EXPECT_GE(entries[2].at - entries[1].at, 90u);
  EXPECT_GE(entries[3].at - entries[2].at, 480u);
  EXPECT_LT(entries[1].at - entries[0].at, entries[3].at - entries[2].at);
}

TEST_F(AnimatedPictureTest, ASecondDrawKeepsOneThreadAndDrawAfterStopGoesOn) {
  FrameLog log;
  log.Attach(picture_);
  ASSERT_TRUE(picture_.LoadFromMemory(MakeGif(ThreeFrames())));
  ASSERT_TRUE(picture_.Draw());
  ASSERT_TRUE(picture_.Draw());
  ASSERT_TRUE(PumpUntil([&] { return log.Count() >= 4; }, 10000));
  picture_.Stop();
  const size_t stoppedAt = log.Count();
  std::set<DWORD> threads;
  for (const auto& entry : log.Snapshot()) threads.insert(entry.thread);
  EXPECT_EQ(threads.size(), 1u);
  // Each frame follows the one before: a second writer would repeat or skip frames.
  const auto first = log.Snapshot();
  for (size_t i = 1; i < first.size(); ++i) EXPECT_EQ(first[i].frame, (first[i - 1].frame + 1) % 3);

  ASSERT_TRUE(picture_.Draw());
  ASSERT_TRUE(PumpUntil([&] { return log.Count() >= stoppedAt + 2; }, 10000));
  EXPECT_TRUE(picture_.playing());
  picture_.Unload();
  EXPECT_FALSE(picture_.ready());
  EXPECT_FALSE(picture_.Draw());
}

TEST_F(AnimatedPictureTest, StopWaitsForAFrameStillBeingDrawnBeforeAnythingIsReleased) {
  HANDLE inside = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> finishedDrawing{false};
  picture_.SetFrameObserver([&](size_t frame) {
    if (frame != 1) return;
    SetEvent(inside);
    // Hold the frame's drawing until the stop has been asked for, as a slow frame would.
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (!picture_.stopRequested() && GetTickCount64() < deadline) SwitchToThread();
    finishedDrawing = true;
  });
  ASSERT_TRUE(picture_.LoadFromMemory(MakeGif(ThreeFrames())));
  ASSERT_TRUE(picture_.Draw());
  // No pumping here: a paint would wait for the frame being drawn.
  ASSERT_EQ(WaitForSingleObject(inside, 10000), WAIT_OBJECT_0);
  const ULONGLONG stopping = GetTickCount64();
  picture_.Unload();  // stops first
  EXPECT_TRUE(finishedDrawing);
  EXPECT_LT(GetTickCount64() - stopping, 4000u);
  EXPECT_FALSE(picture_.playing());
  EXPECT_FALSE(picture_.ready());
  CloseHandle(inside);
}

TEST_F(AnimatedPictureTest, StillPicturesAreDrawnOnceWithoutAThread) {
  FrameLog log;
  log.Attach(picture_);
  GifRecipe still;
  still.width = 12;
  still.height = 8;
  still.frames = {GifFrameRecipe{0, 0, 0, 0, 2, 10, 0}};
  ASSERT_TRUE(picture_.LoadFromMemory(MakeGif(still)));
  EXPECT_FALSE(picture_.animated());
  ASSERT_TRUE(picture_.Draw());
  EXPECT_FALSE(picture_.playing());
  EXPECT_EQ(PixelOnScreen(6, 4), kBlue);
  EXPECT_EQ(ControlSize().cx, 12);

  // A picture that is not a GIF goes to the system loader whole: a 2 x 1 bitmap, green and red.
  const uint8_t bitmap[] = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
                            40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0,
                            0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // info header
                            0, 255, 0, 0, 0, 255, 0, 0};                      // one row, padded
  ASSERT_TRUE(picture_.LoadFromMemory(bitmap));
  ASSERT_TRUE(picture_.Draw());
  EXPECT_EQ(ControlSize().cx, 2);
  EXPECT_EQ(PixelOnScreen(0, 0), kGreen);
  EXPECT_EQ(PixelOnScreen(1, 0), kRed);
  EXPECT_EQ(log.Count(), 0u);
}

TEST_F(AnimatedPictureTest, DamagedFilesPlayWhatCanBeDecodedAndNothingElseShows) {
  const auto whole = MakeGif(ThreeFrames());
  // Cut inside the third frame: the first two still play.
  const std::vector<uint8_t> truncated(whole.begin(), whole.end() - 8);
  ASSERT_TRUE(picture_.LoadFromMemory(truncated));
  EXPECT_EQ(picture_.frameCount(), 2u);

  // A second frame the loader rejects (a code size no GIF may have) is left out.
  GifRecipe recipe = ThreeFrames();
  auto broken = MakeGif(recipe);
  const uint8_t secondImage[] = {0x2C, 10, 0, 5, 0, 10, 0};
  auto at = std::search(broken.begin(), broken.end(), std::begin(secondImage), std::end(secondImage));
  ASSERT_NE(at, broken.end());
  at[10] = 12;
  ASSERT_TRUE(picture_.LoadFromMemory(broken));
  EXPECT_EQ(picture_.frameCount(), 2u);

  const std::vector<std::vector<uint8_t>> nothing = {
      {'G', 'I', 'F', '8', '9', 'a'}, {}, {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c', 't', 'u', 'r', 'e'},
      std::vector<uint8_t>(whole.begin(), whole.begin() + 25)};
  for (const auto& data : nothing) {
    EXPECT_FALSE(picture_.LoadFromMemory(data));
    EXPECT_FALSE(picture_.ready());
    EXPECT_FALSE(picture_.Draw());
  }
  EXPECT_FALSE(picture_.LoadFromFile(L"C:\\no such folder\\Curtainer.gif"));
}

}  // namespace
}  // namespace zp::splash
