// Reading picture files on Windows. Sizes are read from the file's header first, so that a
// picture above the pixel budget is refused before anything is decoded; decoded pictures are
// copied into memory of their own, so the file is not held open while the picture is shown.
//
// GDI+ must have been started by the program, and COM initialised on the calling thread (the
// imaging component reads the sizes).
#pragma once

#include <windows.h>
#include <objidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/layout/geometry.h"
#include "core/pictures/picture_layout.h"
#include "framework/unique_handle.h"

namespace Gdiplus {
class Bitmap;
class Image;
}  // namespace Gdiplus

namespace zp::pictures {

bool IsMetafilePath(const std::wstring& path);

// The picture's natural size in pixels without decoding it; nullopt when the file cannot be
// read as a picture.
std::optional<layout::Size> MeasurePicture(const std::wstring& path);

// A decoded picture held in memory: a GDI+ bitmap over a copy of the file's bytes.
class DecodedPicture {
 public:
  DecodedPicture();
  ~DecodedPicture();
  DecodedPicture(const DecodedPicture&) = delete;
  DecodedPicture& operator=(const DecodedPicture&) = delete;

  // Decodes the file (no colour management). False for files that are no picture, for
  // metafiles and for pictures above the pixel budget; the previous picture is gone either way.
  bool Decode(const std::wstring& path);
  void Release();

  bool empty() const { return bitmap_ == nullptr; }
  layout::Size size() const { return size_; }
  Gdiplus::Bitmap* bitmap() const { return bitmap_.get(); }

 private:
  Microsoft::WRL::ComPtr<IStream> stream_;
  std::unique_ptr<Gdiplus::Bitmap> bitmap_;
  layout::Size size_;
};

// Draws the `source` part of `image` into a new 24-bit device-independent bitmap of `output`
// size, cleared to white first, with the given interpolation. None when drawing fails or the
// output size is outside the pixel budget.
win::UniqueBitmap RenderPicturePart(Gdiplus::Image* image, layout::Box source, layout::Size output,
                                    Interpolation interpolation);

// A white 24-bit device-independent bitmap of the given size; none for sizes outside the budget.
win::UniqueBitmap CreateWhiteBitmap(layout::Size size, void** bits = nullptr);

// The sharpening pass over a 24- or 32-bit device-independent bitmap; false for other bitmaps.
bool SharpenBitmap(HBITMAP bitmap);

// The size of any bitmap, (0, 0) for none.
layout::Size BitmapSize(HBITMAP bitmap);

// A ".wmf" or ".emf" file as an enhanced metafile. A ".wmf" file's records are taken only as
// far as the file holds them. None when the file cannot be read as one.
win::UniqueEnhMetafile LoadMetafile(const std::wstring& path);

}  // namespace zp::pictures
