#include "core/fscommand/pe_export_names.h"

#include <optional>

#include "core/package_format.h"
#include "core/text.h"

namespace zp {
namespace {

std::optional<uint16_t> ReadU16(std::span<const uint8_t> bytes, size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 2) return std::nullopt;
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// The offset just past the zero-terminated 8-bit text at `offset`, or nothing when the text
// does not end inside the bytes.
std::optional<size_t> SkipText(std::span<const uint8_t> bytes, size_t offset) {
  for (size_t i = offset; i < bytes.size(); ++i) {
    if (bytes[i] == 0) return i + 1;
  }
  return std::nullopt;
}

constexpr uint16_t kDosMagic = 0x5A4D;          // "MZ"
constexpr uint16_t kOptionalHeader64 = 0x20B;  // PE32+
constexpr size_t kPeHeaderOffsetField = 0x3C;
constexpr size_t kOptionalHeaderMagic = 0x18;
constexpr size_t kExportDirectory32 = 0x78;
constexpr size_t kExportDirectory64 = 0x88;
constexpr size_t kExportNameField = 0x0C;
constexpr size_t kExportFunctionCount = 0x14;

}  // namespace

std::vector<std::u16string> ReadFsExportNames(std::span<const uint8_t> file) {
  // A bare object file (machine 0x014C, no optional header) is not a library either.
  if (ReadU16(file, 0) != kDosMagic) return {};
  const auto peHeader = ReadU32(file, kPeHeaderOffsetField);
  if (!peHeader || *peHeader > file.size()) return {};
  const auto magic = ReadU16(file, *peHeader + kOptionalHeaderMagic);
  if (!magic) return {};
  const size_t directoryField = *peHeader + (*magic == kOptionalHeader64 ? kExportDirectory64 : kExportDirectory32);
  const auto directory = ReadU32(file, directoryField);
  if (!directory || *directory > file.size()) return {};
  const auto count = ReadU32(file, *directory + kExportFunctionCount);
  const auto ownName = ReadU32(file, *directory + kExportNameField);
  if (!count || !ownName || *count == 0) return {};

  auto next = SkipText(file, *ownName);
  std::vector<std::u16string> names;
  for (uint32_t i = 0; i < *count; ++i) {
    if (!next) return {};
    const size_t start = *next;
    next = SkipText(file, start);
    if (!next) return {};
    // 8-bit names: export names are ASCII in practice; other bytes map one to one.
    std::u16string name;
    for (size_t k = start; k + 1 < *next; ++k) name.push_back(static_cast<char16_t>(file[k]));
    const std::u16string_view trimmed = TrimWhiteSpace(name);
    if (!trimmed.empty()) names.emplace_back(trimmed);
  }
  return names;
}

}  // namespace zp
