// Holds one picture file ready to draw: fitted into a box (the image windows), or decoded at
// its natural size so that any part of it can be rendered at any size (the picture view).
// Every member is guarded by the holder's own lock.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>

#include "core/layout/geometry.h"
#include "core/pictures/picture_layout.h"
#include "framework/unique_handle.h"
#include "pictures/picture_decoding.h"

namespace zp::pictures {

class PictureHolder {
 public:
  // --- The fitted picture ---
  // The box the picture must fit in; ignored unless both sides are positive. 100 × 100 at first.
  void SetTargetSize(int width, int height);
  // Discards the previous picture and makes the new one. Pictures are scaled down into the
  // box keeping their proportions, on white; files that are no picture show their type's small
  // icon centred in the box; movies (".swf") show nothing. False when nothing could be made.
  bool Load(const std::wstring& path);
  // The sharpening pass, for pictures that came from the decoder; false otherwise.
  bool Sharpen();
  // Draws the fitted picture with its top-left corner at (x, y).
  void Draw(HDC dc, int x, int y) const;
  layout::Size size() const;
  bool loadFailed() const;
  bool fromDecoder() const;

  // --- The picture at its natural size ---
  // Decodes the file, or keeps the picture already decoded from the same path.
  bool LoadNaturalSize(const std::wstring& path);
  layout::Size naturalSize() const;
  // Renders the `source` part at `output` size; none when nothing is decoded or drawing fails.
  win::UniqueBitmap RenderPart(layout::Size output, layout::Box source, Interpolation interpolation) const;
  void ReleaseNaturalSize();

 private:
  win::UniqueBitmap FileTypeIcon(const std::wstring& path) const;

  mutable std::mutex lock_;
  win::UniqueBitmap bitmap_;
  layout::Size target_{100, 100};
  layout::Size size_;
  bool loadFailed_ = true;
  bool fromDecoder_ = false;
  DecodedPicture natural_;
  std::wstring naturalPath_;
};

}  // namespace zp::pictures
