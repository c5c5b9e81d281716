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
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr size_t kMachineField = 4;

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

std::optional<uint16_t> ReadPeMachine(std::span<const uint8_t> file) {
  if (ReadU16(file, 0) != kDosMagic) return std::nullopt;
  const auto peHeader = ReadU32(file, kPeHeaderOffsetField);
  if (!peHeader || ReadU32(file, *peHeader) != kPeSignature) return std::nullopt;
  return ReadU16(file, static_cast<size_t>(*peHeader) + kMachineField);
}

std::u16string PeMachineName(uint16_t machine) {
  switch (machine) {
    case kMachineX86: return u"32-bit x86";
    case kMachineX64: return u"x64";
    case kMachineArm64: return u"ARM64";
    default: return u"machine 0x" + ToHex(machine);
  }
}

std::optional<std::u16string> MachineMismatch(uint16_t library, uint16_t player) {
  if (library == player) return std::nullopt;
  return u"it is built for " + PeMachineName(library) + u" and this player for " + PeMachineName(player);
}

}  // namespace zp
