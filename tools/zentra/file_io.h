// Files as the packer reads and writes them: in chunks, with every failure told as the system
// tells it ("cannot write out.exe: No space left on device").
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/document/archive.h"

namespace zentra {

namespace fs = std::filesystem;

// The system's reason for the last failed call of the C library, in words.
std::string SystemReason(int error);

class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  bool Open(const fs::path& path, std::string& error);
  // Reads up to `into.size()` bytes; fewer only at the end of the file. Nothing on a failure.
  std::optional<size_t> Read(std::span<uint8_t> into, std::string& error);
  uint64_t size() const { return size_; }

 private:
  std::FILE* file_ = nullptr;
  fs::path path_;
  uint64_t size_ = 0;
};

// A file written under a temporary name beside its final one and put in place by Commit, so a
// failed or interrupted write never leaves a half-written file nor spoils the one that was there.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool Open(const fs::path& path, std::string& error);
  bool Write(std::span<const uint8_t> bytes, std::string& error);
  // Overwrites bytes already written (a record header whose sizes are known only at its end).
  bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes, std::string& error);
  // Drops everything from `offset` on, so that the next write goes there.
  bool TruncateTo(uint64_t offset, std::string& error);
  bool Commit(std::string& error);
  uint64_t position() const { return position_; }

 private:
  void Abandon();

  std::FILE* file_ = nullptr;
  fs::path path_;
  fs::path partial_;
  uint64_t position_ = 0;
};

// Passes bytes on to an output file; `error` keeps the words of the first failure.
class OutputFileSink : public zp::ByteSink {
 public:
  explicit OutputFileSink(OutputFile& out) : out_(out) {}
  bool Write(std::span<const uint8_t> bytes) override { return out_.Write(bytes, error); }
  std::string error;

 private:
  OutputFile& out_;
};

// Whole small files (stubs, manifests, tests).
std::optional<std::vector<uint8_t>> ReadWholeFile(const fs::path& path, std::string& error);
std::optional<std::vector<uint8_t>> ReadWholeFile(const fs::path& path);
bool WriteWholeFile(const fs::path& path, std::span<const uint8_t> bytes, std::string& error);
bool WriteWholeFile(const fs::path& path, const std::vector<uint8_t>& bytes);

// "cannot read X: it is a folder" and the like, for a path that should be a readable file;
// empty when it is one.
std::string NotAReadableFile(const fs::path& path);

}  // namespace zentra
