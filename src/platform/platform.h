// The thin layer of files, directories, mappings and clocks that the portable core needs.
// Paths are UTF-16 with backslashes; the POSIX side turns them into '/' paths at the edge.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zp::platform {

// Attribute bits, as the Windows file attributes define them.
inline constexpr uint32_t kAttributeReadOnly = 0x01;
inline constexpr uint32_t kAttributeDirectory = 0x10;

// The attributes of a path, or nothing when they cannot be read (the path does not exist).
std::optional<uint32_t> ReadAttributes(const std::u16string& path);
// A file, not a directory, exists at the path.
inline bool IsExistingFile(const std::u16string& path) {
  const auto attributes = ReadAttributes(path);
  return attributes && !(*attributes & kAttributeDirectory);
}
bool WriteAttributes(const std::u16string& path, uint32_t attributes);

// Creates one directory; fails when it exists already or its parent is missing.
bool CreateSingleDirectory(const std::u16string& path);
bool RemoveEmptyDirectory(const std::u16string& path);
bool DeleteOneFile(const std::u16string& path);

struct DirectoryEntry {
  std::u16string name;
  bool isDirectory = false;
};
// The entries of a directory, without "." and "..".
std::vector<DirectoryEntry> ListDirectory(const std::u16string& directory);

std::u16string SystemTemporaryPath();  // as the system reports it; may end in a backslash
std::u16string ModuleFilePath();       // the full path of the running program's file
std::u16string CurrentDirectory();
bool ChangeCurrentDirectory(const std::u16string& path);

uint32_t LocalMillisecondsOfDay();
void SleepMilliseconds(uint32_t milliseconds);

// A file opened for writing, with writes shared by nobody else while it is open.
class OutputFile {
 public:
  enum class Mode { kCreateAlways, kCreateNew };
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool Open(const std::u16string& path, Mode mode);
  bool Write(std::span<const uint8_t> bytes);
  void Close();
  bool IsOpen() const;

 private:
  intptr_t handle_ = -1;
};

// A read-only view of a whole file; valid until Release or destruction.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // The size of the mapped file, or 0 on any failure (an empty file maps as 0 too).
  size_t Map(const std::u16string& path);
  void Release();

  const uint8_t* data() const { return view_; }
  size_t size() const { return size_; }
  std::span<const uint8_t> bytes() const { return {view_, size_}; }

 private:
  intptr_t file_ = -1;
  intptr_t mapping_ = 0;
  const uint8_t* view_ = nullptr;
  size_t size_ = 0;
};

}  // namespace zp::platform
