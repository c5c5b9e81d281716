// Where the player's unpacked files go, what they are called, and how they are removed.
// Every path is UTF-16 with backslashes.
#pragma once

#include <cstdint>
#include <string>

namespace zp {

// The clock and the existence test behind unique names; the default one is the real system.
class UniqueNameEnvironment {
 public:
  virtual ~UniqueNameEnvironment() = default;
  virtual uint32_t MillisecondsOfDay();
  virtual bool Exists(const std::u16string& path);
  virtual void Wait(uint32_t milliseconds);
};

inline constexpr int kUniqueNameRetries = 1000;
inline constexpr uint32_t kUniqueNameRetryWaitMs = 10;

// "directory\\<milliseconds since local midnight in hex><extension>". The directory and the
// extension are trimmed; an empty extension becomes ".tmp" and a missing dot is added. While the
// name exists, waits 10 ms and asks the clock again, at most 1000 times; the last name formed is
// returned either way.
std::u16string FormatUniqueName(std::u16string_view directory, std::u16string_view extension,
                                uint32_t milliseconds);
std::u16string MakeUniqueName(std::u16string_view directory, std::u16string_view extension,
                              UniqueNameEnvironment& environment);
std::u16string MakeUniqueName(std::u16string_view directory, std::u16string_view extension);
std::u16string MakeUniqueName(std::u16string_view extension);  // in the temporary base

bool IsDirectory(const std::u16string& path);
// True when the directory exists afterwards; creates missing parents.
bool CreateDirectoryPath(const std::u16string& path);
// Removes everything in the directory and then the directory; true when the directory itself
// went. Paths of three characters or fewer ("C:\\", "D:") are refused.
bool RemoveTree(const std::u16string& directory);

// The system's temporary directory without trailing backslashes, or the current directory when
// no directory of that name exists.
std::u16string TemporaryBase();
// The directory of the program's file, with backslashes and without trailing ones.
std::u16string ProgramDirectory();

// Joins a directory and a name with one backslash.
std::u16string JoinPath(std::u16string_view directory, std::u16string_view name);

// Makes a new, empty directory for one running player: first in the temporary base, then in the
// program's directory, then on "C:". Each place is tried with create-new semantics, so two
// players never share a directory. When every place fails, the last name formed is returned
// (it does not exist, and writes into it fail).
std::u16string CreateTemporaryDirectory();
std::u16string CreateTemporaryDirectory(UniqueNameEnvironment& environment);

// Removes the directory and everything in it. When that fails (usually because it is the
// current directory), moves the current directory to the temporary base, the program's
// directory, "C:\\" or "D:\\", whichever can be made current first, and tries once more.
void RemoveTemporaryDirectory(const std::u16string& directory);

}  // namespace zp
