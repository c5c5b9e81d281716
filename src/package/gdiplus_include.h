// GDI+ headers as this build needs them: they expect <objidl.h> (left out by
// WIN32_LEAN_AND_MEAN) and unqualified min and max (left out by NOMINMAX).
#pragma once

#include <windows.h>
#include <objidl.h>

#include <algorithm>

namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus

#include <gdiplus.h>
