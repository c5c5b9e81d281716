// Scratch directories and whole-file helpers for tests on either platform.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zp::test {

using Bytes = std::vector<uint8_t>;

// A fresh directory under the system's temporary directory, removed with its contents when
// the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::u16string& path() const { return path_; }
  std::u16string File(std::u16string_view name) const;

 private:
  std::u16string path_;
};

bool WriteBytes(const std::u16string& path, std::span<const uint8_t> bytes);
std::optional<Bytes> ReadBytes(const std::u16string& path);
bool Exists(const std::u16string& path);

Bytes ToBytes(std::string_view text);
Bytes Concat(std::initializer_list<std::span<const uint8_t>> parts);
// Deterministic pseudo-random bytes.
Bytes RandomBytes(size_t size, uint32_t seed);

}  // namespace zp::test
