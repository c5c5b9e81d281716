// UTF-8 <-> UTF-16, for the file names the POSIX side hands the system and for the core's texts.
#pragma once

#include <string>
#include <string_view>

namespace zp {

// Invalid sequences become U+FFFD; nothing throws.
std::u16string Utf8ToU16(std::string_view text);
std::string U16ToUtf8(std::u16string_view text);

}  // namespace zp
