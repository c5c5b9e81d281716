#include "core/support/perf_data.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "core/byte_order.h"
#include "core/text.h"

namespace zp::support {
namespace {

// A bounded view of little-endian fields. Every check is in subtraction form so that no
// offset from the data can overflow it.
class Fields {
 public:
  explicit Fields(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t size() const { return bytes_.size(); }
  bool Has(size_t offset, size_t length) const { return offset <= size() && length <= size() - offset; }
  std::optional<uint32_t> U32(size_t offset) const {
    return ReadU32(bytes_, offset);
  }
  Fields Sub(size_t offset, size_t length) const { return Fields(bytes_.subspan(offset, length)); }
  // `length` bytes of UTF-16LE text at `offset`, up to the first zero unit.
  std::u16string Text(size_t offset, size_t length) const {
    std::u16string text;
    for (size_t i = 0; i + 1 < length; i += 2) {
      const char16_t c = char16_t(bytes_[offset + i] | bytes_[offset + i + 1] << 8);
      if (c == 0) break;
      text.push_back(c);
    }
    return text;
  }

 private:
  std::span<const uint8_t> bytes_;
};

// Where the fields sit in the data block, an object type and an instance definition.
constexpr size_t kBlockHeaderLength = 24, kBlockObjectCount = 28;
constexpr size_t kObjectTotalLength = 0, kObjectDefinitionLength = 4, kObjectTitleIndex = 12, kObjectInstanceCount = 40;
constexpr size_t kInstanceLength = 0, kInstanceNameOffset = 16, kInstanceNameLength = 20;
constexpr size_t kInstanceFixedPart = 24;

bool SameProcessName(std::u16string_view a, std::u16string_view b) {
  return EqualsNoCase(a.substr(0, kPerfNameLength), b.substr(0, kPerfNameLength));
}

ProcessAnswer SearchInstances(const Fields& object, std::u16string_view wanted) {
  const auto definitionLength = object.U32(kObjectDefinitionLength);
  const auto count = object.U32(kObjectInstanceCount);
  if (!definitionLength || !count || *definitionLength > object.size()) return ProcessAnswer::kUnknown;
  // A count of -1 means an object without instances: no process can be among them.
  if (*count == 0xFFFFFFFFu) return ProcessAnswer::kNotRunning;
  size_t at = *definitionLength;
  for (uint32_t i = 0; i < *count; ++i) {
    const auto length = object.U32(at + kInstanceLength);
    if (!length || *length < kInstanceFixedPart || !object.Has(at, *length)) return ProcessAnswer::kUnknown;
    const Fields instance = object.Sub(at, *length);
    const uint32_t nameOffset = *instance.U32(kInstanceNameOffset);
    const uint32_t nameLength = *instance.U32(kInstanceNameLength);
    if (!instance.Has(nameOffset, nameLength)) return ProcessAnswer::kUnknown;
    if (SameProcessName(instance.Text(nameOffset, nameLength), wanted)) return ProcessAnswer::kRunning;
    // The instance's counter block follows it and begins with its own length.
    const size_t counters = at + *length;
    const auto counterLength = object.U32(counters);
    if (!counterLength || *counterLength < 4 || !object.Has(counters, *counterLength)) return ProcessAnswer::kUnknown;
    at = counters + *counterLength;
  }
  return ProcessAnswer::kNotRunning;
}

}  // namespace

std::optional<uint32_t> FindCounterIndex(std::span<const uint8_t> counters, std::u16string_view name) {
  const Fields list(counters);
  size_t at = 0;
  // Reads one zero-terminated text; an unterminated last text ends at the end of the data.
  auto next = [&](std::u16string& text) {
    if (!list.Has(at, 2)) return false;
    size_t end = at;
    while (list.Has(end, 2) && (counters[end] | counters[end + 1]) != 0) end += 2;
    text = list.Text(at, end - at);
    at = end + 2;
    return true;
  };
  std::u16string index, title;
  while (next(index) && next(title)) {
    if (!EqualsNoCase(title, name)) continue;
    uint32_t value = 0;
    if (index.empty() || index.size() > 9) return std::nullopt;
    for (char16_t c : index) {
      if (c < u'0' || c > u'9') return std::nullopt;
      value = value * 10 + (c - u'0');
    }
    return value;
  }
  return std::nullopt;
}

ProcessAnswer FindProcessInstance(std::span<const uint8_t> data, uint32_t objectIndex, std::u16string_view wanted) {
  const Fields block(data);
  static constexpr uint8_t kSignature[] = {'P', 0, 'E', 0, 'R', 0, 'F', 0};
  if (!block.Has(0, sizeof kSignature) || !std::equal(std::begin(kSignature), std::end(kSignature), data.begin())) {
    return ProcessAnswer::kUnknown;
  }
  const auto headerLength = block.U32(kBlockHeaderLength);
  const auto objects = block.U32(kBlockObjectCount);
  if (!headerLength || !objects) return ProcessAnswer::kUnknown;
  size_t at = *headerLength;
  for (uint32_t i = 0; i < *objects; ++i) {
    const auto total = block.U32(at + kObjectTotalLength);
    if (!total || *total == 0 || !block.Has(at, *total)) return ProcessAnswer::kUnknown;
    const Fields object = block.Sub(at, *total);
    if (object.U32(kObjectTitleIndex) == objectIndex) return SearchInstances(object, wanted);
    at += *total;
  }
  return ProcessAnswer::kUnknown;
}

}  // namespace zp::support
