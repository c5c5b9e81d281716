// Finds package records by their tags: a bad-character skip search over a byte region.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace zp {

class TagSearcher {
 public:
  static constexpr size_t kMaxPatternBytes = 257;

  // Takes the tag's UTF-16LE bytes (two per character, no terminator) as the pattern.
  // False, and no pattern, when the tag is empty or longer than the limit.
  bool SetPattern(std::u16string_view tag);

  // The first match in the region, or nullptr; remembers region and match for Next.
  const uint8_t* First(const uint8_t* region, size_t length);
  // The next match after the previous one (starting one pattern length past it), or nullptr.
  const uint8_t* Next();

  size_t PatternLength() const { return length_; }

 private:
  const uint8_t* Search(const uint8_t* region, size_t n) const;

  std::array<uint8_t, kMaxPatternBytes> pattern_ {};
  size_t length_ = 0;
  std::array<size_t, 256> skip_ {};
  const uint8_t* regionStart_ = nullptr;
  size_t regionLength_ = 0;
  const uint8_t* lastMatch_ = nullptr;
};

}  // namespace zp
