// The disc's autorun file, as far as the splash program reads it: which program to start.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zp::splash {

// Autorun files are a few lines long; a larger file is not read at all.
inline constexpr size_t kMaxAutorunFileSize = 1 << 20;

// The text of an INI file: UTF-16 after its byte-order mark, or UTF-8 with or without one.
// Nothing for other bytes, which the caller decodes in the system's code page.
std::optional<std::u16string> DecodeUnicodeIniText(std::span<const uint8_t> bytes);

// The value of `key` in `section`, as the system's profile reader gives it: names compared
// without regard to ASCII case, blanks around names and values dropped, a value inside a
// matching pair of quotes unquoted, lines beginning with ';' ignored, the first occurrence
// winning. Nothing when the key is not there.
std::optional<std::u16string> IniValue(std::u16string_view text, std::u16string_view section, std::u16string_view key);

// The program the "[autorun]" section names under `key`, joined to `folder` (the splash
// program's folder) unchanged, so that it may name a file in a subfolder. Nothing when the key
// is missing or empty.
std::optional<std::u16string> AutorunProgramPath(std::u16string_view folder, std::u16string_view iniText,
                                                 std::u16string_view key);

}  // namespace zp::splash
