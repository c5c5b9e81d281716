// The one conversion between the core's UTF-16 strings and the Win32 wide strings.
#pragma once

#include <string>
#include <string_view>

namespace zp {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide strings are UTF-16");

inline std::wstring ToWide(std::u16string_view text) { return {text.begin(), text.end()}; }
inline std::u16string FromWide(std::wstring_view text) { return {text.begin(), text.end()}; }

}  // namespace zp
