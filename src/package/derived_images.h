// The GDI objects a loaded document derives from its written files: the window icon, the
// About logo, the panel picture, the custom window region and the panel font. Each is owned by
// one move-only handle.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <utility>

namespace zp {

// Owns one GDI or user object; `Destroy` decides how it is given back.
template <class Handle, BOOL(WINAPI* Destroy)(Handle)>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(Handle handle) : handle_(handle) {}
  ~OwnedHandle() { reset(); }
  OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void reset() {
    if (handle_ != nullptr) Destroy(handle_);
    handle_ = nullptr;
  }

 private:
  Handle handle_ = nullptr;
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) { return DeleteObject(object); }
inline BOOL WINAPI DeleteBitmap(HBITMAP bitmap) { return DeleteObject(bitmap); }
inline BOOL WINAPI DeleteRegion(HRGN region) { return DeleteObject(region); }
inline BOOL WINAPI DeleteFontObject(HFONT font) { return DeleteObject(font); }

using IconHandle = OwnedHandle<HICON, DestroyIcon>;
using BitmapHandle = OwnedHandle<HBITMAP, DeleteBitmap>;
using RegionHandle = OwnedHandle<HRGN, DeleteRegion>;
using FontHandle = OwnedHandle<HFONT, DeleteFontObject>;

// The icon in the file at 16 x 16, or none.
IconHandle LoadSmallIcon(const std::wstring& path);
// The picture in the file as a device-independent section bitmap; formats the bitmap loader
// cannot read (JPEG, PNG, GIF ...) go through GDI+, which must have been started. None when
// neither can read it.
BitmapHandle LoadPictureBitmap(const std::wstring& path);
// A region from RGNDATA as GetRegionData gives it; none when the bytes describe no region.
RegionHandle RegionFromData(std::span<const uint8_t> data);
// A font from the LOGFONTW at the start of the block; none for a block under 92 bytes.
FontHandle FontFromLogFont(std::span<const uint8_t> block);

}  // namespace zp
