#include "pictures/picture_holder.h"

#include <shellapi.h>

#include "core/document/document_model.h"
#include "core/pictures/image_window_layout.h"
#include "core/text.h"
#include "package/gdiplus_include.h"
#include "platform/wide.h"

namespace zp::pictures {
namespace {

constexpr int kIconSize = 16;

// Fitted pictures are drawn whole, so the decoder's edge needs no inset here.
win::UniqueBitmap FitDecodedPicture(const DecodedPicture& picture, layout::Size box) {
  const layout::Size drawn = FitPictureInBox(picture.size(), box);
  return RenderPicturePart(picture.bitmap(), {0, 0, picture.size().width, picture.size().height}, drawn,
                           Interpolation::kHighQualityBicubic);
}

// Metafiles are played into a bitmap of their fitted size.
win::UniqueBitmap FitMetafile(const std::wstring& path, layout::Size box) {
  const auto natural = MeasurePicture(path);
  win::UniqueEnhMetafile metafile = LoadMetafile(path);
  if (!natural || !metafile) return {};
  const layout::Size drawn = FitPictureInBox(*natural, box);
  win::UniqueBitmap bitmap = CreateWhiteBitmap(drawn);
  if (!bitmap) return {};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap.get());
  const RECT whole{0, 0, drawn.width, drawn.height};
  const bool played = PlayEnhMetaFile(dc, static_cast<HENHMETAFILE>(metafile.get()), &whole);
  SelectObject(dc, old);
  DeleteDC(dc);
  if (!played) return {};
  return bitmap;
}

}  // namespace

void PictureHolder::SetTargetSize(int width, int height) {
  std::lock_guard guard(lock_);
  if (width > 0 && height > 0) target_ = {width, height};
}

win::UniqueBitmap PictureHolder::FileTypeIcon(const std::wstring& path) const {
  SHFILEINFOW info{};
  const std::u16string extension = ExtensionOf(FromWide(path));
  const UINT flags = SHGFI_ICON | SHGFI_SMALLICON;
  // Programs show their own icon; everything else the icon of its type, by extension alone.
  const bool program = EqualsNoCase(extension, u"exe");
  const std::wstring typeName = L"." + ToWide(extension);
  if (!SHGetFileInfoW(program ? path.c_str() : typeName.c_str(), program ? 0 : FILE_ATTRIBUTE_NORMAL, &info,
                      sizeof info, program ? flags : flags | SHGFI_USEFILEATTRIBUTES) ||
      !info.hIcon) {
    return {};
  }
  win::UniqueIcon icon(info.hIcon);
  win::UniqueBitmap bitmap = CreateWhiteBitmap(target_);
  if (!bitmap) return {};
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap.get());
  DrawIconEx(dc, (target_.width - kIconSize + 1) / 2, (target_.height - kIconSize + 1) / 2, icon.get(), kIconSize,
             kIconSize, 0, nullptr, DI_NORMAL);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

bool PictureHolder::Load(const std::wstring& path) {
  std::lock_guard guard(lock_);
  bitmap_.reset();
  size_ = {};
  loadFailed_ = true;
  fromDecoder_ = false;
  const std::u16string extension = ExtensionOf(FromWide(path));
  if (EqualsNoCase(extension, u"swf")) return false;  // the player carries no picture for movies
  if (KindOfPath(FromWide(path)) == MovieKind::kPicture) {
    if (IsMetafilePath(path)) {
      bitmap_ = FitMetafile(path, target_);
    } else {
      DecodedPicture picture;
      if (picture.Decode(path)) bitmap_ = FitDecodedPicture(picture, target_);
    }
    fromDecoder_ = static_cast<bool>(bitmap_);
  } else {
    bitmap_ = FileTypeIcon(path);
  }
  if (!bitmap_) return false;
  loadFailed_ = false;
  size_ = BitmapSize(static_cast<HBITMAP>(bitmap_.get()));
  return true;
}

bool PictureHolder::Sharpen() {
  std::lock_guard guard(lock_);
  return fromDecoder_ && SharpenBitmap(static_cast<HBITMAP>(bitmap_.get()));
}

void PictureHolder::Draw(HDC dc, int x, int y) const {
  std::lock_guard guard(lock_);
  if (!bitmap_) return;
  HDC source = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(source, bitmap_.get());
  BitBlt(dc, x, y, size_.width, size_.height, source, 0, 0, SRCCOPY);
  SelectObject(source, old);
  DeleteDC(source);
}

layout::Size PictureHolder::size() const {
  std::lock_guard guard(lock_);
  return size_;
}

bool PictureHolder::loadFailed() const {
  std::lock_guard guard(lock_);
  return loadFailed_;
}

bool PictureHolder::fromDecoder() const {
  std::lock_guard guard(lock_);
  return fromDecoder_;
}

bool PictureHolder::LoadNaturalSize(const std::wstring& path) {
  std::lock_guard guard(lock_);
  if (!natural_.empty() && naturalPath_ == path) return true;
  naturalPath_.clear();
  if (!natural_.Decode(path)) return false;
  naturalPath_ = path;
  return true;
}

layout::Size PictureHolder::naturalSize() const {
  std::lock_guard guard(lock_);
  return natural_.size();
}

win::UniqueBitmap PictureHolder::RenderPart(layout::Size output, layout::Box source,
                                            Interpolation interpolation) const {
  std::lock_guard guard(lock_);
  if (natural_.empty()) return {};
  return RenderPicturePart(natural_.bitmap(), source, output, interpolation);
}

void PictureHolder::ReleaseNaturalSize() {
  std::lock_guard guard(lock_);
  natural_.Release();
  naturalPath_.clear();
}

}  // namespace zp::pictures
