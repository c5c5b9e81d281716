#include "splash/image_loader.h"

#include <memory>

#include "framework/window.h"
#include "package/gdiplus_include.h"

namespace zp::splash {

namespace {

// A 24-bit copy of the image at its own size (at least 1 x 1), white where it is transparent.
UniqueBitmap RenderToBitmap(Gdiplus::Image& image) {
  if (image.GetLastStatus() != Gdiplus::Ok) return {};
  const INT width = static_cast<INT>(std::max<UINT>(image.GetWidth(), 1));
  const INT height = static_cast<INT>(std::max<UINT>(image.GetHeight(), 1));
  Gdiplus::Bitmap canvas(width, height, PixelFormat24bppRGB);
  if (canvas.GetLastStatus() != Gdiplus::Ok) return {};
  {
    Gdiplus::Graphics graphics(&canvas);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
    if (graphics.DrawImage(&image, 0, 0, width, height) != Gdiplus::Ok) return {};
  }
  HBITMAP bitmap = nullptr;
  if (canvas.GetHBITMAP(Gdiplus::Color(0, 0, 0), &bitmap) != Gdiplus::Ok) return {};
  return UniqueBitmap(bitmap);
}

struct StreamRelease {
  void operator()(IStream* stream) const { stream->Release(); }
};

}  // namespace

UniqueBitmap LoadFileToBitmap(const std::wstring& path) {
  Gdiplus::Bitmap image(path.c_str(), FALSE);
  return RenderToBitmap(image);
}

UniqueBitmap LoadResourceToBitmap(int id, const wchar_t* type) {
  HMODULE module = win::ModuleInstance();
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, found);
  if (!bytes || size == 0) return {};

  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy) return {};
  void* target = GlobalLock(copy);
  if (!target) {
    GlobalFree(copy);
    return {};
  }
  memcpy(target, bytes, size);
  GlobalUnlock(copy);
  IStream* raw = nullptr;
  if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &raw))) {
    GlobalFree(copy);
    return {};
  }
  // The stream, and the memory it frees, outlive the image decoded from it.
  std::unique_ptr<IStream, StreamRelease> stream(raw);
  Gdiplus::Bitmap image(stream.get(), FALSE);
  return RenderToBitmap(image);
}

}  // namespace zp::splash
