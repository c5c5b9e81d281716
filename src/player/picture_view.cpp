#include "player/picture_view.h"

#include "core/document/document_model.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::player {
namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

bool PictureView::Load(const std::wstring& path) {
  // Whatever happens, the previous picture is gone.
  metafile_.reset();
  rendered_.reset();
  layout_.reset();
  pending_.reset();
  // A rendering of the previous picture may still be under way: it keeps its own holder.
  holder_ = std::make_shared<pictures::PictureHolder>();
  picture_ = {};
  path_ = path;
  renderedPath_.clear();
  if (!platform::IsExistingFile(FromWide(path)) || KindOfPath(FromWide(path)) != MovieKind::kPicture) return false;
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
  if (rendered_ && renderedPath_ == path_ && SameRect(renderedView_, view) && renderedWindow_ == window_) {
    pending_.reset();  // back to what is on show: a rendering under way is of no use
    return true;
  }
  if (pending_ && SameRect(pending_->view, view) && pending_->window == window_) return true;
  if (background_ && rendered_ && renderedPath_ == path_ && !metafile_ && RenderInBackground(view)) return true;
  pending_.reset();
  rendered_.reset();
  layout_.reset();
  renderedPath_.clear();
  renderFailed_ = !Render(view);
  return !renderFailed_;
}

void PictureView::SetRenderInBackground(std::function<void()> finished) {
  background_ = std::make_unique<BackgroundRendering>(std::move(finished));
}

bool PictureView::RenderInBackground(const RECT& view) {
  const auto layout = pictures::LayOutPictureView(
      {picture_, {view.left, view.top, view.right, view.bottom}, window_, keepAspect_, allowScale_, false});
  if (!layout || !layout->rendering) return false;
  const auto& r = *layout->rendering;
  const uint64_t ticket = nextTicket_++;
  if (!background_->Submit({holder_, r.output, r.source, r.interpolation, r.sharpen, ticket})) return false;
  pending_ = Pending {ticket, view, window_, *layout};
  return true;
}

bool PictureView::TakeFinishedRendering() {
  if (!background_) return false;
  auto result = background_->Take();
  if (!result || !pending_ || result->ticket != pending_->ticket) return false;
  Pending taken = *pending_;
  pending_.reset();
  ++renderCount_;
  layout_ = taken.layout;
  rendered_ = std::move(result->bitmap);
  renderFailed_ = !rendered_;
  if (renderFailed_) {
    renderedPath_.clear();
    return true;
  }
  renderedPath_ = path_;
  renderedView_ = taken.view;
  renderedWindow_ = taken.window;
  return true;
}

bool PictureView::AwaitRendering(DWORD timeoutMs) {
  if (!background_ || !pending_) return true;
  if (!background_->AwaitIdle(timeoutMs)) return false;
  TakeFinishedRendering();
  return true;
}

bool PictureView::Render(const RECT& view) {
  if (picture_.width <= 0 || picture_.height <= 0) return false;
  const bool metafile = static_cast<bool>(metafile_);
  if (!metafile && !holder_->LoadNaturalSize(path_)) return false;
  layout_ = pictures::LayOutPictureView(
      {picture_, {view.left, view.top, view.right, view.bottom}, window_, keepAspect_, allowScale_, metafile});
  if (metafile) return layout_.has_value();  // played by Draw
  if (!layout_ || !layout_->rendering) return false;
  const auto& r = *layout_->rendering;
  rendered_ = RenderView(*holder_, r.output, r.source, r.interpolation, r.sharpen);
  ++renderCount_;
  if (!rendered_) return false;
  renderedPath_ = path_;
  renderedView_ = view;
  renderedWindow_ = window_;
  return true;
}

POINT PictureView::MapPoint(POINT point) const {
  // The view asked for, though its rendering may not be on show yet.
  const pictures::PictureViewLayout* layout = pending_ ? &pending_->layout : layout_ ? &*layout_ : nullptr;
  if (!layout) return point;
  const layout::Point mapped = pictures::MapWindowPoint(*layout, window_, {point.x, point.y});
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
