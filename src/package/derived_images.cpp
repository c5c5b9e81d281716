#include "package/derived_images.h"

#include "package/gdiplus_include.h"

#include <cstring>

namespace zp {

IconHandle LoadSmallIcon(const std::wstring& path) {
  if (path.empty()) return {};
  return IconHandle(static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 16, 16, LR_LOADFROMFILE)));
}

namespace {

BitmapHandle LoadThroughGdiPlus(const std::wstring& path) {
  Gdiplus::GpBitmap* bitmap = nullptr;
  if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Gdiplus::Ok || bitmap == nullptr) {
    return {};
  }
  HBITMAP converted = nullptr;
  // Transparent parts come out white, the colour the About box and the panel are drawn on.
  const Gdiplus::Status status =
      Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(bitmap, &converted, 0xFFFFFFFF);
  // Disposing the GDI+ bitmap now lets go of the file, so the temporary directory can go later.
  Gdiplus::DllExports::GdipDisposeImage(bitmap);
  if (status != Gdiplus::Ok) return {};
  return BitmapHandle(converted);
}

}  // namespace

BitmapHandle LoadPictureBitmap(const std::wstring& path) {
  if (path.empty()) return {};
  HANDLE loaded = LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  if (loaded != nullptr) return BitmapHandle(static_cast<HBITMAP>(loaded));
  return LoadThroughGdiPlus(path);
}

RegionHandle RegionFromData(std::span<const uint8_t> data) {
  if (data.size() < sizeof(RGNDATAHEADER)) return {};
  RGNDATAHEADER header;
  std::memcpy(&header, data.data(), sizeof header);
  // The header's own counts must fit the block, or the region would be read past its end.
  if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES ||
      header.nCount > (data.size() - sizeof(RGNDATAHEADER)) / sizeof(RECT)) {
    return {};
  }
  const DWORD size = static_cast<DWORD>(sizeof(RGNDATAHEADER) + header.nCount * sizeof(RECT));
  return RegionHandle(ExtCreateRegion(nullptr, size, reinterpret_cast<const RGNDATA*>(data.data())));
}

FontHandle FontFromLogFont(std::span<const uint8_t> block) {
  if (block.size() < sizeof(LOGFONTW)) return {};
  LOGFONTW font;
  std::memcpy(&font, block.data(), sizeof font);
  font.lfFaceName[LF_FACESIZE - 1] = L'\0';
  return FontHandle(CreateFontIndirectW(&font));
}

}  // namespace zp
