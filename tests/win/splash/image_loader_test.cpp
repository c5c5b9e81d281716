#include "splash/image_loader.h"

#include <gtest/gtest.h>

#include "gif_samples.h"
#include "package/gdiplus_include.h"
#include "platform/wide.h"
#include "test_files.h"

namespace zp::splash {
namespace {

struct Gdiplus {
  Gdiplus() { ::Gdiplus::GdiplusStartup(&token, &input, nullptr); }
  ~Gdiplus() { ::Gdiplus::GdiplusShutdown(token); }
  ::Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
};

SIZE SizeOf(const UniqueBitmap& bitmap) {
  BITMAP info{};
  GetObjectW(bitmap.get(), sizeof(info), &info);
  return {info.bmWidth, info.bmHeight};
}

COLORREF PixelOf(const UniqueBitmap& bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ replaced = SelectObject(dc, bitmap.get());
  const COLORREF colour = GetPixel(dc, x, y);
  SelectObject(dc, replaced);
  DeleteDC(dc);
  return colour;
}

TEST(ImageLoader, PicturesComeOutAtTheirOwnSizeOnWhiteAndBadFilesAsNothing) {
  Gdiplus gdiplus;
  // The built-in picture.
  const UniqueBitmap builtIn = LoadResourceToBitmap(129, L"JPEG");
  ASSERT_TRUE(builtIn);
  EXPECT_EQ(SizeOf(builtIn).cx, 375);
  EXPECT_EQ(SizeOf(builtIn).cy, 237);
  EXPECT_FALSE(LoadResourceToBitmap(4242, L"JPEG"));

  // A picture drawn all in its transparent colour comes out white, not the black of a new bitmap.
  test::ScratchDirectory scratch;
  test::GifRecipe gif;
  gif.width = 6;
  gif.height = 4;
  gif.frames = {test::GifFrameRecipe{0, 0, 0, 0, 1, 0, 0, 1}};
  const std::u16string transparent = scratch.File(u"transparent.gif");
  ASSERT_TRUE(test::WriteBytes(transparent, test::MakeGif(gif)));
  const UniqueBitmap white = LoadFileToBitmap(ToWide(transparent));
  ASSERT_TRUE(white);
  EXPECT_EQ(SizeOf(white).cx, 6);
  EXPECT_EQ(PixelOf(white, 3, 2), RGB(255, 255, 255));

  const std::u16string garbage = scratch.File(u"Curtainer.jpg");
  ASSERT_TRUE(test::WriteBytes(garbage, test::ToBytes("not a picture at all")));
  EXPECT_FALSE(LoadFileToBitmap(ToWide(garbage)));
  EXPECT_FALSE(LoadFileToBitmap(ToWide(scratch.File(u"missing.png"))));
}

}  // namespace
}  // namespace zp::splash
