#include "pictures_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "package/gdiplus_include.h"
#include "platform/wide.h"

namespace zp::test {
namespace {

// The player starts GDI+ and COM before it shows anything; so do these tests.
class PicturesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
  }
  void TearDown() override {
    Gdiplus::GdiplusShutdown(token_);
    OleUninitialize();
  }

 private:
  ULONG_PTR token_ = 0;
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new PicturesEnvironment);

}  // namespace

bool Near(COLORREF a, COLORREF b) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= 6 && std::abs(GetGValue(a) - GetGValue(b)) <= 6 &&
         std::abs(GetBValue(a) - GetBValue(b)) <= 6;
}

std::wstring WritePicture(const ScratchDirectory& scratch, std::u16string_view name, const Bytes& bytes) {
  const std::u16string path = scratch.File(name);
  EXPECT_TRUE(WriteBytes(path, bytes));
  return ToWide(path);
}

Surface::Surface(int width, int height, COLORREF fill) {
  HDC screen = GetDC(nullptr);
  dc_ = CreateCompatibleDC(screen);
  bitmap_ = CreateCompatibleBitmap(screen, width, height);
  ReleaseDC(nullptr, screen);
  old_ = SelectObject(dc_, bitmap_);
  HBRUSH brush = CreateSolidBrush(fill);
  const RECT all{0, 0, width, height};
  FillRect(dc_, &all, brush);
  DeleteObject(brush);
}

Surface::~Surface() {
  SelectObject(dc_, old_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

COLORREF Surface::At(int x, int y) const { return GetPixel(dc_, x, y); }

}  // namespace zp::test
