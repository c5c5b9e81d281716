#include "core/document/directory_file_sink.h"

#include <algorithm>

#include "core/safe_names.h"
#include "core/temp_files.h"
#include "platform/platform.h"

namespace zp {

namespace {

constexpr uint32_t kMillisecondsPerDay = 24u * 60 * 60 * 1000;
constexpr int kNameAttempts = 1000;

}  // namespace

bool DirectoryFileSink::Fill(platform::OutputFile& out, const std::u16string& path, const FileBytes& bytes) {
  const bool written = bytes.bytes.size() == bytes.size && out.Write(bytes.bytes);
  out.Close();
  if (!written) platform::DeleteOneFile(path);
  return written;
}

bool DeferringFileSink::Fill(platform::OutputFile& out, const std::u16string& path, const FileBytes& bytes) {
  if (!LeavesBytesInArchive()) return DirectoryFileSink::Fill(out, path, bytes);
  out.Close();
  deferred_.Add(*item_, path, bytes.offset, bytes.size);
  return true;
}

DirectoryFileSink::DirectoryFileSink(std::u16string directory) : directory_(std::move(directory)) {}

std::u16string SafeExtensionOf(std::u16string_view storedPath) {
  const std::u16string extension = ExtensionOf(storedPath);
  if (extension.empty() || !IsPlainFileName(u"x." + extension)) return {};
  return u"." + extension;
}

std::optional<std::u16string> DirectoryFileSink::WriteFile(std::u16string_view storedPath, const FileBytes& bytes) {
  const std::u16string extension = SafeExtensionOf(storedPath);
  uint32_t milliseconds = std::max(platform::LocalMillisecondsOfDay(), nextMilliseconds_);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const std::u16string path = FormatUniqueName(directory_, extension, milliseconds % kMillisecondsPerDay);
    milliseconds = milliseconds % kMillisecondsPerDay + 1;
    platform::OutputFile out;
    if (!out.Open(path, platform::OutputFile::Mode::kCreateNew)) {
      if (platform::ReadAttributes(path)) continue;  // the name is taken: count on
      return std::nullopt;                            // the directory cannot be written
    }
    nextMilliseconds_ = milliseconds;
    if (!Fill(out, path, bytes)) return std::nullopt;
    return path;
  }
  return std::nullopt;
}

std::optional<std::u16string> DirectoryFileSink::WriteLinkedFile(std::u16string_view name, const FileBytes& bytes) {
  const size_t backslash = name.find(u'\\');
  if (backslash == std::u16string_view::npos) return std::nullopt;
  std::u16string relative(name.substr(backslash + 1));
  if (!IsContainedRelativePath(relative)) return std::nullopt;
  std::replace(relative.begin(), relative.end(), u'/', u'\\');
  const std::u16string path = JoinPath(directory_, relative);
  const size_t lastSeparator = path.rfind(u'\\');
  if (lastSeparator != std::u16string::npos && !CreateDirectoryPath(path.substr(0, lastSeparator))) {
    return std::nullopt;
  }
  platform::OutputFile out;
  if (!out.Open(path, platform::OutputFile::Mode::kCreateAlways)) return std::nullopt;
  if (!Fill(out, path, bytes)) return std::nullopt;
  return path;
}

}  // namespace zp
