// Still splash pictures, decoded with GDI+ into a GDI bitmap of the picture's own size. GDI+
// must be running (the application starts it before any window exists).
#pragma once

#include <windows.h>

#include <string>

#include "framework/unique_handle.h"

namespace zp::splash {

using UniqueBitmap = win::UniqueHandle<win::NullInvalidTraits<HGDIOBJ, win::DeleteGdiObject>>;

// The picture in the file, drawn on opaque white (transparent parts come out white); an
// invalid bitmap when the file cannot be decoded.
UniqueBitmap LoadFileToBitmap(const std::wstring& path);
// The same for a picture resource of the program's own module.
UniqueBitmap LoadResourceToBitmap(int id, const wchar_t* type);

}  // namespace zp::splash
