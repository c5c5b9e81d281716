#include "test_files.h"

#include <cstdio>

#include "core/temp_files.h"
#include "core/text.h"
#include "platform/platform.h"

namespace zp::test {

ScratchDirectory::ScratchDirectory() : path_(CreateTemporaryDirectory()) {}

ScratchDirectory::~ScratchDirectory() { RemoveTemporaryDirectory(path_); }

std::u16string ScratchDirectory::File(std::u16string_view name) const { return JoinPath(path_, name); }

bool WriteBytes(const std::u16string& path, std::span<const uint8_t> bytes) {
  platform::OutputFile out;
  return out.Open(path, platform::OutputFile::Mode::kCreateAlways) && out.Write(bytes);
}

std::optional<Bytes> ReadBytes(const std::u16string& path) {
  if (!platform::ReadAttributes(path)) return std::nullopt;
  platform::MappedFile file;
  file.Map(path);  // an empty file maps as nothing, and reads as nothing
  return Bytes(file.data(), file.data() + file.size());
}

bool Exists(const std::u16string& path) { return platform::ReadAttributes(path).has_value(); }

Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Concat(std::initializer_list<std::span<const uint8_t>> parts) {
  Bytes out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes RandomBytes(size_t size, uint32_t seed) {
  Bytes out(size);
  uint32_t state = seed * 2654435761u + 1;
  for (auto& b : out) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    b = static_cast<uint8_t>(state >> 7);
  }
  return out;
}

}  // namespace zp::test
