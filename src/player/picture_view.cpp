#include "player/picture_view.h"

#include "core/document/document_model.h"
#include "platform/wide.h"

namespace zp::player {
namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool IsExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool PictureView::Load(const std::wstring& path) {
  // Whatever happens, the previous picture is gone.
  metafile_.reset();
  rendered_.reset();
  layout_.reset();
  holder_.ReleaseNaturalSize();
  picture_ = {};
  path_ = path;
  renderedPath_.clear();
  if (!IsExistingFile(path) || KindOfPath(FromWide(path)) != MovieKind::kPicture) return false;
  const auto size = pictures::MeasurePicture(path);
  if (!size) return false;
  picture_ = *size;
  if (pictures::IsMetafilePath(path)) {
    metafile_ = pictures::LoadMetafile(path);
    return static_cast<bool>(metafile_);
  }
  return true;
}

std::optional<pictures::Interpolation> PictureView::lastInterpolation() const {
  if (!layout_ || !layout_->rendering) return std::nullopt;
  return layout_->rendering->interpolation;
}

bool PictureView::SetView(const RECT& view) {
  if (rendered_ && renderedPath_ == path_ && SameRect(renderedView_, view) && renderedWindow_ == window_) return true;
  rendered_.reset();
  layout_.reset();
  renderedPath_.clear();
  renderFailed_ = !Render(view);
  return !renderFailed_;
}

bool PictureView::Render(const RECT& view) {
  if (picture_.width <= 0 || picture_.height <= 0) return false;
  const bool metafile = static_cast<bool>(metafile_);
  if (!metafile && !holder_.LoadNaturalSize(path_)) return false;
  layout_ = pictures::LayOutPictureView(
      {picture_, {view.left, view.top, view.right, view.bottom}, window_, keepAspect_, allowScale_, metafile});
  if (metafile) return layout_.has_value();  // played by Draw
  if (!layout_ || !layout_->rendering) return false;
  const auto& r = *layout_->rendering;
  rendered_ = holder_.RenderPart(r.output, r.source, r.interpolation);
  ++renderCount_;
  if (!rendered_) return false;
  if (r.sharpen) pictures::SharpenBitmap(static_cast<HBITMAP>(rendered_.get()));
  renderedPath_ = path_;
  renderedView_ = view;
  renderedWindow_ = window_;
  return true;
}

POINT PictureView::MapPoint(POINT point) const {
  if (!layout_) return point;
  const layout::Point mapped = pictures::MapWindowPoint(*layout_, window_, {point.x, point.y});
  return POINT{mapped.x, mapped.y};
}

bool PictureView::GetOccupiedRect(RECT* rect) const {
  if (!rendered_ || !layout_ || !layout_->rendering || !rect) return false;
  const layout::Box box = pictures::OccupiedRect(*layout_->rendering, window_);
  *rect = RECT{box.left, box.top, box.right, box.bottom};
  return true;
}

void PictureView::Draw(HDC dc) const {
  if (!layout_) return;
  if (metafile_) {
    const layout::Box box = pictures::MetafilePlacement(*layout_, picture_, window_, keepAspect_);
    if (box.IsEmpty()) return;
    const RECT target{box.left, box.top, box.right, box.bottom};
    PlayEnhMetaFile(dc, static_cast<HENHMETAFILE>(metafile_.get()), &target);
    return;
  }
  if (!rendered_ || !layout_->rendering) return;
  const layout::Box box = pictures::OccupiedRect(*layout_->rendering, window_);
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, rendered_.get());
  BitBlt(dc, box.left, box.top, box.Width(), box.Height(), source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

}  // namespace zp::player
