#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/movie_ids.h"
#include "movie_test_support.h"
#include "platform/wide.h"
#include "test_container.h"
#include "test_files.h"

namespace zp::test {
namespace {

using namespace zp::movie;
using swfgen::ActionWriter;
using swfgen::MovieWriter;

// A 32-bit top-down bitmap selected into a memory DC, read back pixel by pixel.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  // 0xRRGGBB
  uint32_t At(int x, int y) const {
    GdiFlush();
    return bits_[y * width_ + x] & 0xFFFFFF;
  }

 private:
  int width_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
};

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF;

class MovieDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(container.CreateControl(kMovieControlClsid, 300, 200), S_OK);
    // A blue 100 × 100 stage whose left half is red.
    MovieWriter m(6, 100, 100, 12);
    m.Background({0, 0, 255});
    m.DefineRect(1, {0, 0, 50 * 20, 100 * 20}, {255, 0, 0});
    m.Place(1, 1).Actions(ActionWriter().Stop()).ShowFrame();
    const std::wstring path = ToWide(scratch.File(u"redblue.swf"));
    ASSERT_TRUE(WriteMovie(path, m.Finish(false)));
    ASSERT_EQ(container.PutString(kDispMovie, path), S_OK);
    ASSERT_EQ(container.GetLong(kDispTotalFrames), 1);
  }

  void Draw(Canvas& canvas, int width, int height) {
    ComPtr<IViewObject2> view;
    ASSERT_EQ(ComPtr<IUnknown>(container.control()).As(&view), S_OK);
    RECTL bounds{0, 0, width, height};
    ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, canvas.dc(), &bounds, nullptr, nullptr, 0),
              S_OK);
  }

  ScratchDirectory scratch;
  TestContainer container;
};

TEST_F(MovieDrawingTest, ShowAllScalesToFitAndCentres) {
  Canvas canvas(300, 200);
  Draw(canvas, 300, 200);
  // Twice the stage size: the stage covers x 50..250, its red half x 50..150.
  EXPECT_EQ(canvas.At(75, 100), kRed);
  EXPECT_EQ(canvas.At(140, 20), kRed);
  EXPECT_EQ(canvas.At(160, 100), kBlue);
  EXPECT_EQ(canvas.At(240, 180), kBlue);
  EXPECT_EQ(canvas.At(20, 100), kBlue);  // outside the stage: the background colour
}

TEST_F(MovieDrawingTest, NoScaleShowsTheStageOneToOneCentred) {
  ASSERT_EQ(container.Put(kDispScaleMode, Long(3)), S_OK);
  Canvas canvas(300, 200);
  Draw(canvas, 300, 200);
  // The stage covers x 100..200 and y 50..150; red x 100..150.
  EXPECT_EQ(canvas.At(75, 100), kBlue);
  EXPECT_EQ(canvas.At(125, 100), kRed);
  EXPECT_EQ(canvas.At(175, 100), kBlue);
  EXPECT_EQ(canvas.At(125, 30), kBlue);
}

TEST_F(MovieDrawingTest, BackgroundColourOverridesTheMoviesAndZoomPicksAPart) {
  ASSERT_EQ(container.Put(kDispBackgroundColor, Long(0xFFA000)), S_OK);  // orange
  ASSERT_EQ(container.Call(kDispSetZoomRect, {Long(1000), Long(0), Long(2000), Long(2000)}), S_OK);
  Canvas canvas(200, 200);
  Draw(canvas, 200, 200);
  // The right half of the stage fills the view at twice its size, centred at x 50..150; the
  // red left half lies to the left of it, ending at x 50.
  EXPECT_EQ(canvas.At(100, 100), 0xFFA000u);
  EXPECT_EQ(canvas.At(55, 100), 0xFFA000u);
  EXPECT_EQ(canvas.At(45, 100), kRed);
}

TEST_F(MovieDrawingTest, TheWindowShowsTheFrame) {
  HWND window = container.controlWindow();
  ASSERT_NE(window, nullptr);
  UpdateWindow(window);
  PumpFor(100);
  // What the window painted, read back from its own device context.
  HDC dc = GetDC(window);
  const COLORREF red = GetPixel(dc, 75, 100);
  const COLORREF blue = GetPixel(dc, 200, 100);
  ReleaseDC(window, dc);
  EXPECT_EQ(red, RGB(255, 0, 0));
  EXPECT_EQ(blue, RGB(0, 0, 255));
}

// The frame lands where the DC says whichever way the bitmap's rows run, wherever the bounds
// lie in it, and never beyond the DC's clipping; logical points are read back through the DC.
TEST_F(MovieDrawingTest, DrawsIntoEveryKindOfBitmapTarget) {
  constexpr COLORREF kUntouched = RGB(0, 255, 0);
  struct Case {
    const char* name;
    bool topDown;
    RECT bounds;
    POINT viewportOrigin;
    RECT clip;  // empty: no clipping
    std::vector<std::pair<POINT, COLORREF>> expected;
  };
  const Case cases[] = {
      {"top-down", true, {0, 0, 100, 100}, {0, 0}, {}, {{{25, 50}, RGB(255, 0, 0)}, {{75, 50}, RGB(0, 0, 255)}}},
      {"bottom-up", false, {0, 0, 100, 100}, {0, 0}, {}, {{{25, 10}, RGB(255, 0, 0)}, {{75, 90}, RGB(0, 0, 255)}}},
      {"bottom-up, bounds inside", false, {20, 10, 120, 110}, {0, 0}, {},
       {{{45, 15}, RGB(255, 0, 0)}, {{95, 105}, RGB(0, 0, 255)}, {{10, 60}, kUntouched}, {{130, 115}, kUntouched}}},
      {"top-down, viewport moved", true, {0, 0, 100, 100}, {30, 15}, {},
       {{{25, 50}, RGB(255, 0, 0)}, {{75, 50}, RGB(0, 0, 255)}, {{-10, 50}, kUntouched}}},
      {"top-down, clipped", true, {0, 0, 100, 100}, {0, 0}, {0, 0, 60, 100},
       {{{25, 50}, RGB(255, 0, 0)}, {{55, 50}, RGB(0, 0, 255)}, {{75, 50}, kUntouched}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 140;
    info.bmiHeader.biHeight = c.topDown ? -120 : 120;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH green = CreateSolidBrush(kUntouched);
    const RECT all{0, 0, 140, 120};
    FillRect(dc, &all, green);
    DeleteObject(green);
    SetViewportOrgEx(dc, c.viewportOrigin.x, c.viewportOrigin.y, nullptr);
    if (!IsRectEmpty(&c.clip)) IntersectClipRect(dc, c.clip.left, c.clip.top, c.clip.right, c.clip.bottom);
    ComPtr<IViewObject2> view;
    ASSERT_EQ(ComPtr<IUnknown>(container.control()).As(&view), S_OK);
    const RECTL bounds{c.bounds.left, c.bounds.top, c.bounds.right, c.bounds.bottom};
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
    SelectClipRgn(dc, nullptr);
    for (const auto& [point, colour] : c.expected) {
      EXPECT_EQ(GetPixel(dc, point.x, point.y), colour) << point.x << "," << point.y;
    }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
}

}  // namespace
}  // namespace zp::test
