#include "core/safe_names.h"

namespace zp {

bool IsPlainFileName(std::u16string_view name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name) {
    if (c == u'\\' || c == u'/' || c == u':' || c < 0x20) return false;
  }
  return true;
}

bool IsContainedRelativePath(std::u16string_view path) {
  if (path.empty()) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find_first_of(u"\\/", start);
    const std::u16string_view piece = path.substr(start, end == std::u16string_view::npos ? end : end - start);
    if (!IsPlainFileName(piece)) return false;
    if (end == std::u16string_view::npos) return true;
    start = end + 1;
  }
}

}  // namespace zp
