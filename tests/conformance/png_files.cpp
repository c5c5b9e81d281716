#include "png_files.h"

#include <windows.h>

#include <memory>

#include "package/gdiplus_include.h"

namespace zp::conformance {
namespace {

// GDI+'s built-in PNG encoder.
constexpr CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

}  // namespace

Picture ReadPicture(const std::wstring& path) {
  Picture picture;
  Gdiplus::Bitmap bitmap(path.c_str());
  if (bitmap.GetLastStatus() != Gdiplus::Ok) return picture;
  const int width = static_cast<int>(bitmap.GetWidth()), height = static_cast<int>(bitmap.GetHeight());
  Gdiplus::Rect all(0, 0, width, height);
  Gdiplus::BitmapData data{};
  if (width <= 0 || height <= 0 ||
      bitmap.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    return picture;
  }
  picture.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(data.Scan0) + y * data.Stride);
    std::copy(row, row + width, picture.pixels.begin() + static_cast<size_t>(y) * width);
  }
  bitmap.UnlockBits(&data);
  picture.width = width;
  picture.height = height;
  return picture;
}

bool WritePng(const std::wstring& path, const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return false;
  std::vector<uint32_t> copy = picture.pixels;
  Gdiplus::Bitmap bitmap(picture.width, picture.height, picture.width * 4, PixelFormat32bppARGB,
                         reinterpret_cast<BYTE*>(copy.data()));
  return bitmap.Save(path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
}

}  // namespace zp::conformance
