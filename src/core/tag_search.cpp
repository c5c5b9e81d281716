#include "core/tag_search.h"

namespace zp {

bool TagSearcher::SetPattern(std::u16string_view tag) {
  length_ = 0;
  lastMatch_ = nullptr;
  if (tag.empty() || tag.size() * 2 > kMaxPatternBytes) return false;
  for (char16_t c : tag) {
    pattern_[length_++] = static_cast<uint8_t>(c & 0xFF);
    pattern_[length_++] = static_cast<uint8_t>(c >> 8);
  }
  const size_t m = length_;
  skip_.fill(m);
  for (size_t i = 1; i <= m; ++i) skip_[pattern_[i - 1]] = m - i;
  return true;
}

// Right-to-left comparison with a bad-character shift. The bound is tested before any byte
// is read, so a region shorter than the pattern is never read past its end.
const uint8_t* TagSearcher::Search(const uint8_t* region, size_t n) const {
  const size_t m = length_;
  if (m == 0 || region == nullptr || n < m) return nullptr;
  const uint8_t last = pattern_[m - 1];
  size_t i = m;
  size_t j = m;
  while (j > 0 && i <= n) {
    if (j == m) {
      // Nothing matched yet at this alignment: the shift is the skip entry itself (a byte other
      // than the last pattern byte always skips by at least one). Bytes that do not occur in the
      // pattern skip its whole length, a step that does not wait for the byte just read.
      for (;;) {
        while (i <= n && skip_[region[i - 1]] == m) i += m;
        if (i > n) return nullptr;
        const uint8_t c = region[i - 1];
        if (c == last) break;
        i += skip_[c];
      }
    }
    const uint8_t c = region[i - 1];
    if (c == pattern_[j - 1]) {
      --i;
      --j;
    } else {
      const size_t s = skip_[c];
      i += (s < m - j + 1) ? m - j + 1 : s;
      j = m;
    }
  }
  return j == 0 ? region + i : nullptr;
}

const uint8_t* TagSearcher::First(const uint8_t* region, size_t length) {
  regionStart_ = region;
  regionLength_ = length;
  lastMatch_ = Search(region, length);
  return lastMatch_;
}

const uint8_t* TagSearcher::Next() {
  if (lastMatch_ == nullptr) return nullptr;
  const size_t start = static_cast<size_t>(lastMatch_ - regionStart_) + length_;
  if (start > regionLength_ || regionLength_ - start < length_) {
    lastMatch_ = nullptr;
    return nullptr;
  }
  const uint8_t* match = Search(regionStart_ + start, regionLength_ - start);
  lastMatch_ = match;
  return match;
}

}  // namespace zp
