// Shows any rectangle of a picture (the view rectangle) scaled into a window, centred, with or
// without keeping its proportions. The Flash host shows picture entries through it and zooms
// by changing the view rectangle.
//
// Bitmaps are rendered part by part: only what is visible, at screen size, once per view and
// window size; the decoded picture is kept between renderings, so zooming does not decode the
// file again. Metafiles are played directly at the current scale.
//
// With rendering in the background, a new view of a picture already on show is rendered on a
// thread of its own (a 12-megapixel picture takes longer than several ticks of the play timer)
// and the last finished rendering is shown until then. The first rendering of a picture is
// made at once: there is nothing else to show.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/pictures/picture_layout.h"
#include "framework/unique_handle.h"
#include "pictures/picture_holder.h"
#include "player/background_rendering.h"

namespace zp::player {

class PictureView {
 public:
  // False when the file is missing, not a picture type, cannot be measured, or is a metafile
  // that cannot be read. The next SetView renders afresh.
  bool Load(const std::wstring& path);
  void SetKeepAspect(bool keep) { keepAspect_ = keep; }
  void SetAllowScale(bool allow) { allowScale_ = allow; }
  void SetWindowSize(int width, int height) { window_ = {width, height}; }
  // Shows `view` (picture pixels). Renders unless the same file, view and window size were
  // rendered last; false when nothing can be shown (the window then shows its background).
  bool SetView(const RECT& view);
  // From now on new views of a picture on show are rendered in the background; `finished` is
  // called on the rendering thread when a rendering is ready for TakeFinishedRendering.
  void SetRenderInBackground(std::function<void()> finished);
  // Shows the newest finished rendering if it is of the view last asked for; true when what
  // the view shows changed.
  bool TakeFinishedRendering();
  // Waits for the rendering in the background, then takes it; false when `timeoutMs` passed.
  bool AwaitRendering(DWORD timeoutMs);
  bool renderPending() const { return pending_.has_value(); }
  // A window point in picture pixels.
  POINT MapPoint(POINT point) const;
  // The window area the rendered bitmap covers; false when there is none.
  bool GetOccupiedRect(RECT* rect) const;
  void Draw(HDC dc) const;
  SIZE GetSize() const { return SIZE{picture_.width, picture_.height}; }

  bool keepAspect() const { return keepAspect_; }
  bool allowScale() const { return allowScale_; }
  bool renderFailed() const { return renderFailed_; }
  // How many renderings were made, and the last one's interpolation: what zooming costs.
  int renderCount() const { return renderCount_; }
  std::optional<pictures::Interpolation> lastInterpolation() const;

 private:
  // What a rendering under way will show once it is taken.
  struct Pending {
    uint64_t ticket;
    RECT view;
    layout::Size window;
    pictures::PictureViewLayout layout;
  };
  bool Render(const RECT& view);
  bool RenderInBackground(const RECT& view);

  std::shared_ptr<pictures::PictureHolder> holder_ = std::make_shared<pictures::PictureHolder>();
  std::unique_ptr<BackgroundRendering> background_;
  std::optional<Pending> pending_;
  uint64_t nextTicket_ = 1;
  bool renderFailed_ = false;
  bool keepAspect_ = true;
  bool allowScale_ = true;
  std::wstring path_;
  layout::Size picture_;
  layout::Size window_{100, 100};
  std::optional<pictures::PictureViewLayout> layout_;
  win::UniqueBitmap rendered_;
  win::UniqueEnhMetafile metafile_;
  std::wstring renderedPath_;
  RECT renderedView_{};
  layout::Size renderedWindow_;
  int renderCount_ = 0;
};

}  // namespace zp::player
