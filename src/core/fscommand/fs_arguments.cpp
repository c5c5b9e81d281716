#include "core/fscommand/fs_arguments.h"

#include <limits>

namespace zp {

std::vector<std::u16string> SplitFsArguments(std::u16string_view text, char16_t separator) {
  if (separator == 0) separator = u',';
  std::vector<std::u16string> items;
  std::u16string token;
  bool started = false;
  for (char16_t c : text) {
    if (c <= u' ' && !started) continue;
    if (c == separator) {
      items.push_back(token);
      token.clear();
      started = false;
    } else {
      token.push_back(c);
      started = true;
    }
  }
  if (started) items.push_back(token);
  return items;
}

std::u16string FsArgumentAt(const std::vector<std::u16string>& items, size_t index) {
  return index < items.size() ? items[index] : std::u16string();
}

int32_t ReadFsNumber(std::u16string_view item) {
  size_t i = 0;
  while (i < item.size() && item[i] <= u' ') ++i;
  bool negative = false;
  if (i < item.size() && (item[i] == u'-' || item[i] == u'+')) negative = item[i++] == u'-';
  int64_t value = 0;
  constexpr int64_t kLimit = static_cast<int64_t>(std::numeric_limits<int32_t>::max()) + 1;
  for (; i < item.size() && item[i] >= u'0' && item[i] <= u'9'; ++i) {
    value = value * 10 + (item[i] - u'0');
    if (value > kLimit) value = kLimit;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(value > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : value);
}

}  // namespace zp
