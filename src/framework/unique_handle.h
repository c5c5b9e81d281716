// Move-only owners of Win32 handles. A traits type says what an invalid value is and how the
// handle is given back; nothing here is copyable, so nothing is released twice.
#pragma once

#include <windows.h>

#include <utility>

namespace zp::win {

template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type value) : value_(value) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Type get() const { return value_; }
  bool valid() const { return Traits::IsValid(value_); }
  explicit operator bool() const { return valid(); }

  void reset(Type value = Traits::Invalid()) {
    if (Traits::IsValid(value_)) Traits::Close(value_);
    value_ = value;
  }
  // Hands the handle to a new owner (the system, for a window region).
  [[nodiscard]] Type release() { return std::exchange(value_, Traits::Invalid()); }

 private:
  Type value_ = Traits::Invalid();
};

struct KernelHandleTraits {  // files, mailslots: INVALID_HANDLE_VALUE and null are both invalid
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Type h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};

template <class T, BOOL(WINAPI* Free)(T)>
struct NullInvalidTraits {
  using Type = T;
  static Type Invalid() { return nullptr; }
  static bool IsValid(Type h) { return h != nullptr; }
  static void Close(Type h) { Free(h); }
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ object) { return DeleteObject(object); }
inline BOOL WINAPI CloseRegistryKey(HKEY key) { return RegCloseKey(key) == ERROR_SUCCESS; }

using UniqueFileHandle = UniqueHandle<KernelHandleTraits>;
using UniqueModule = UniqueHandle<NullInvalidTraits<HMODULE, FreeLibrary>>;
using UniqueIcon = UniqueHandle<NullInvalidTraits<HICON, DestroyIcon>>;
using UniqueMenu = UniqueHandle<NullInvalidTraits<HMENU, DestroyMenu>>;
using UniqueHook = UniqueHandle<NullInvalidTraits<HHOOK, UnhookWindowsHookEx>>;
using UniqueRegion = UniqueHandle<NullInvalidTraits<HGDIOBJ, DeleteGdiObject>>;
using UniqueBrush = UniqueHandle<NullInvalidTraits<HGDIOBJ, DeleteGdiObject>>;
using UniqueFont = UniqueHandle<NullInvalidTraits<HGDIOBJ, DeleteGdiObject>>;
using UniqueBitmap = UniqueHandle<NullInvalidTraits<HGDIOBJ, DeleteGdiObject>>;
using UniqueEnhMetafile = UniqueHandle<NullInvalidTraits<HENHMETAFILE, DeleteEnhMetaFile>>;
using UniqueKey = UniqueHandle<NullInvalidTraits<HKEY, CloseRegistryKey>>;
using UniqueMemoryDc = UniqueHandle<NullInvalidTraits<HDC, DeleteDC>>;  // from CreateCompatibleDC

}  // namespace zp::win
