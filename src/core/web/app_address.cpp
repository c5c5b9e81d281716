#include "core/web/app_address.h"

#include "core/text.h"

namespace zp {

std::optional<std::u16string_view> ApplicationCommandOf(std::u16string_view address) {
  constexpr std::u16string_view kPrefix = u"app:";
  if (address.size() < kPrefix.size() || !EqualsNoCase(address.substr(0, kPrefix.size()), kPrefix)) {
    return std::nullopt;
  }
  return address.substr(kPrefix.size());
}

}  // namespace zp
