// The web page view keeps one kind of address to itself: an address that begins with "app:"
// (in any case) is never navigated to; the text after those four characters is a command for
// the application instead.
#pragma once

#include <optional>
#include <string_view>

namespace zp {

// The command that `address` carries, or nullopt when it is an ordinary address. The result
// views `address`; an address of just "app:" carries an empty command.
std::optional<std::u16string_view> ApplicationCommandOf(std::u16string_view address);

}  // namespace zp
