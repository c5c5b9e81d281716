#include "core/temp_files.h"

#include "core/text.h"
#include "platform/platform.h"

namespace zp {

uint32_t UniqueNameEnvironment::MillisecondsOfDay() { return platform::LocalMillisecondsOfDay(); }

bool UniqueNameEnvironment::Exists(const std::u16string& path) {
  return platform::ReadAttributes(path).has_value();
}

void UniqueNameEnvironment::Wait(uint32_t milliseconds) { platform::SleepMilliseconds(milliseconds); }

std::u16string JoinPath(std::u16string_view directory, std::u16string_view name) {
  std::u16string path(directory);
  path += u'\\';
  path += name;
  return path;
}

std::u16string FormatUniqueName(std::u16string_view directory, std::u16string_view extension,
                                uint32_t milliseconds) {
  const std::u16string_view dir = TrimTrailingBackslashes(TrimWhiteSpace(directory));
  std::u16string ext(TrimWhiteSpace(extension));
  if (ext.empty()) {
    ext = u".tmp";
  } else if (ext.front() != u'.') {
    ext.insert(ext.begin(), u'.');
  }
  return JoinPath(dir, ToHex(milliseconds) + ext);
}

std::u16string MakeUniqueName(std::u16string_view directory, std::u16string_view extension,
                              UniqueNameEnvironment& environment) {
  std::u16string name = FormatUniqueName(directory, extension, environment.MillisecondsOfDay());
  for (int retry = 0; retry < kUniqueNameRetries && environment.Exists(name); ++retry) {
    environment.Wait(kUniqueNameRetryWaitMs);
    name = FormatUniqueName(directory, extension, environment.MillisecondsOfDay());
  }
  return name;
}

std::u16string MakeUniqueName(std::u16string_view directory, std::u16string_view extension) {
  UniqueNameEnvironment system;
  return MakeUniqueName(directory, extension, system);
}

std::u16string MakeUniqueName(std::u16string_view extension) { return MakeUniqueName(TemporaryBase(), extension); }

bool IsDirectory(const std::u16string& path) {
  const auto attributes = platform::ReadAttributes(path);
  return attributes && (*attributes & platform::kAttributeDirectory) != 0;
}

bool CreateDirectoryPath(const std::u16string& path) {
  const std::u16string target(TrimTrailingBackslashes(path));
  if (target.empty()) return false;
  if (IsDirectory(target)) return true;
  if (platform::CreateSingleDirectory(target)) return true;
  std::u16string prefix;
  size_t start = 0;
  while (start <= target.size()) {
    size_t end = target.find(u'\\', start);
    if (end == std::u16string::npos) end = target.size();
    prefix.append(target, start, end - start);
    const std::u16string piece(TrimTrailingBackslashes(prefix));
    if (!piece.empty() && !IsDirectory(piece) && !platform::CreateSingleDirectory(piece)) return false;
    prefix += u'\\';
    start = end + 1;
  }
  return true;
}

namespace {

void RemoveContents(const std::u16string& directory) {
  for (const auto& entry : platform::ListDirectory(directory)) {
    const std::u16string path = JoinPath(directory, entry.name);
    if (entry.isDirectory) {
      RemoveContents(path);
      platform::RemoveEmptyDirectory(path);
    } else if (!platform::DeleteOneFile(path)) {
      // A read-only file refuses the first attempt: flip the bit and try again.
      if (const auto attributes = platform::ReadAttributes(path)) {
        platform::WriteAttributes(path, *attributes ^ platform::kAttributeReadOnly);
        platform::DeleteOneFile(path);
      }
    }
  }
}

}  // namespace

bool RemoveTree(const std::u16string& directory) {
  if (directory.size() <= 3) return false;
  RemoveContents(directory);
  return platform::RemoveEmptyDirectory(directory);
}

std::u16string TemporaryBase() {
  std::u16string base(TrimTrailingBackslashes(platform::SystemTemporaryPath()));
  if (base.size() > 259) base.resize(259);
  if (base.empty() || !IsDirectory(base)) base = platform::CurrentDirectory();
  return base;
}

std::u16string ProgramDirectory() {
  std::u16string path = platform::ModuleFilePath();
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  const size_t slash = path.rfind(u'\\');
  path.resize(slash == std::u16string::npos ? 0 : slash);
  return std::u16string(TrimTrailingBackslashes(path));
}

namespace {

// Enough rounds to get past any number of players started in the same millisecond.
constexpr int kCreateNewAttempts = 50;

bool CreateFreshDirectory(const std::u16string& base, std::u16string& path, UniqueNameEnvironment& environment) {
  bool parentMade = false;
  for (int attempt = 0; attempt < kCreateNewAttempts; ++attempt) {
    path = MakeUniqueName(base, u".tmp", environment);
    if (platform::CreateSingleDirectory(path)) return true;
    // Someone took the name between the test and the creation: take a new one.
    if (platform::ReadAttributes(path)) continue;
    // Otherwise the base may be missing; any other failure is final for this place.
    if (parentMade || !CreateDirectoryPath(std::u16string(TrimTrailingBackslashes(TrimWhiteSpace(base))))) return false;
    parentMade = true;
  }
  return false;
}

}  // namespace

std::u16string CreateTemporaryDirectory(UniqueNameEnvironment& environment) {
  std::u16string path;
  if (CreateFreshDirectory(TemporaryBase(), path, environment)) return path;
  if (CreateFreshDirectory(ProgramDirectory(), path, environment)) return path;
  CreateFreshDirectory(u"C:", path, environment);
  return path;
}

std::u16string CreateTemporaryDirectory() {
  UniqueNameEnvironment system;
  return CreateTemporaryDirectory(system);
}

void RemoveTemporaryDirectory(const std::u16string& directory) {
  if (!IsDirectory(directory)) return;
  if (RemoveTree(directory)) return;
  for (const std::u16string& refuge : {TemporaryBase(), ProgramDirectory(), std::u16string(u"C:\\"),
                                       std::u16string(u"D:\\")}) {
    if (!refuge.empty() && platform::ChangeCurrentDirectory(refuge)) {
      RemoveTree(directory);
      return;
    }
  }
}

}  // namespace zp
