// POSIX side of the platform layer: used by the packer, the native tests and the fuzzers.
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/platform.h"
#include "platform/utf8.h"

namespace zp::platform {
namespace {

std::string ToNative(const std::u16string& path) {
  std::string out = U16ToUtf8(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

std::u16string FromNative(const std::string& path) {
  std::u16string out = Utf8ToU16(path);
  for (char16_t& c : out) {
    if (c == u'/') c = u'\\';
  }
  return out;
}

}  // namespace

std::optional<uint32_t> ReadAttributes(const std::u16string& path) {
  struct stat st {};
  if (path.empty() || stat(ToNative(path).c_str(), &st) != 0) return std::nullopt;
  uint32_t attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= kAttributeDirectory;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= kAttributeReadOnly;
  return attributes;
}

bool WriteAttributes(const std::u16string& path, uint32_t attributes) {
  struct stat st {};
  const std::string native = ToNative(path);
  if (stat(native.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & kAttributeReadOnly) ? (mode & ~0222) : (mode | S_IWUSR);
  return chmod(native.c_str(), mode) == 0;
}

bool CreateSingleDirectory(const std::u16string& path) {
  return !path.empty() && mkdir(ToNative(path).c_str(), 0777) == 0;
}

bool RemoveEmptyDirectory(const std::u16string& path) { return rmdir(ToNative(path).c_str()) == 0; }

bool DeleteOneFile(const std::u16string& path) { return unlink(ToNative(path).c_str()) == 0; }

std::vector<DirectoryEntry> ListDirectory(const std::u16string& directory) {
  std::vector<DirectoryEntry> entries;
  const std::string native = ToNative(directory);
  DIR* dir = opendir(native.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st {};
    const bool isDirectory = lstat((native + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    entries.push_back({Utf8ToU16(name), isDirectory});
  }
  closedir(dir);
  return entries;
}

std::u16string SystemTemporaryPath() {
  const char* tmp = std::getenv("TMPDIR");
  return FromNative(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp/");
}

std::u16string ModuleFilePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? FromNative(std::string(buffer, static_cast<size_t>(n))) : std::u16string();
}

std::u16string CurrentDirectory() {
  char buffer[PATH_MAX];
  return getcwd(buffer, sizeof buffer) != nullptr ? FromNative(buffer) : std::u16string();
}

bool ChangeCurrentDirectory(const std::u16string& path) { return chdir(ToNative(path).c_str()) == 0; }

uint32_t LocalMillisecondsOfDay() {
  timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local {};
  localtime_r(&now.tv_sec, &local);
  return ((static_cast<uint32_t>(local.tm_hour) * 60 + local.tm_min) * 60 + local.tm_sec) * 1000 +
         static_cast<uint32_t>(now.tv_nsec / 1000000);
}

void SleepMilliseconds(uint32_t milliseconds) {
  timespec wait {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000};
  nanosleep(&wait, nullptr);
}

OutputFile::~OutputFile() { Close(); }

bool OutputFile::Open(const std::u16string& path, Mode mode) {
  Close();
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::kCreateNew ? O_EXCL : O_TRUNC);
  handle_ = open(ToNative(path).c_str(), flags, 0666);
  return handle_ >= 0;
}

bool OutputFile::Write(std::span<const uint8_t> bytes) {
  if (handle_ < 0) return false;
  while (!bytes.empty()) {
    const ssize_t n = write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes = bytes.subspan(static_cast<size_t>(n));
  }
  return true;
}

void OutputFile::Close() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
  handle_ = -1;
}

bool OutputFile::IsOpen() const { return handle_ >= 0; }

MappedFile::~MappedFile() { Release(); }

size_t MappedFile::Map(const std::u16string& path) {
  Release();
  const int fd = open(ToNative(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  file_ = fd;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
    Release();
    return 0;
  }
  void* view = mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  if (view == MAP_FAILED) {
    Release();
    return 0;
  }
  view_ = static_cast<const uint8_t*>(view);
  size_ = static_cast<size_t>(st.st_size);
  return size_;
}

void MappedFile::Release() {
  if (view_ != nullptr) munmap(const_cast<uint8_t*>(view_), size_);
  if (file_ >= 0) close(static_cast<int>(file_));
  view_ = nullptr;
  size_ = 0;
  file_ = -1;
}

}  // namespace zp::platform
