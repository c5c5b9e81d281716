#include "file_io.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "manifest.h"

namespace zentra {

namespace {

std::FILE* OpenFile(const fs::path& path, bool write) {
#ifdef _WIN32
  return _wfopen(path.c_str(), write ? L"w+b" : L"rb");
#else
  return std::fopen(path.c_str(), write ? "w+b" : "rb");
#endif
}

bool SeekTo(std::FILE* file, uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool Truncate(std::FILE* file, uint64_t size) {
#ifdef _WIN32
  return _chsize_s(_fileno(file), static_cast<__int64>(size)) == 0;
#else
  return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
#endif
}

std::string Failure(const char* verb, const fs::path& path) {
  return std::string("cannot ") + verb + " " + PathText(path) + ": " + SystemReason(errno);
}

}  // namespace

std::string SystemReason(int error) { return std::generic_category().message(error); }

std::string NotAReadableFile(const fs::path& path) {
  std::error_code code;
  const fs::file_status status = fs::status(path, code);
  if (code || !fs::exists(status)) return "cannot read " + PathText(path) + ": no such file";
  if (fs::is_directory(status)) return "cannot read " + PathText(path) + ": it is a folder, not a file";
  if (!fs::is_regular_file(status)) return "cannot read " + PathText(path) + ": it is not a regular file";
  return {};
}

InputFile::~InputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool InputFile::Open(const fs::path& path, std::string& error) {
  path_ = path;
  error = NotAReadableFile(path);
  if (!error.empty()) return false;
  errno = 0;
  file_ = OpenFile(path, false);
  if (file_ == nullptr) {
    error = Failure("read", path);
    return false;
  }
  std::error_code code;
  size_ = fs::file_size(path, code);
  if (code) {
    error = "cannot read " + PathText(path) + ": " + code.message();
    return false;
  }
  return true;
}

std::optional<size_t> InputFile::Read(std::span<uint8_t> into, std::string& error) {
  errno = 0;
  const size_t got = std::fread(into.data(), 1, into.size(), file_);
  if (got < into.size() && std::ferror(file_)) {
    error = Failure("read", path_);
    return std::nullopt;
  }
  return got;
}

OutputFile::~OutputFile() { Abandon(); }

void OutputFile::Abandon() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  std::error_code ignored;
  fs::remove(partial_, ignored);
}

bool OutputFile::Open(const fs::path& path, std::string& error) {
  Abandon();
  path_ = path;
  partial_ = path;
  partial_ += ".partial";
  errno = 0;
  file_ = OpenFile(partial_, true);
  if (file_ == nullptr) {
    error = Failure("write", path);
    return false;
  }
  position_ = 0;
  return true;
}

bool OutputFile::Write(std::span<const uint8_t> bytes, std::string& error) {
  errno = 0;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
    error = Failure("write", path_);
    return false;
  }
  position_ += bytes.size();
  return true;
}

bool OutputFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes, std::string& error) {
  errno = 0;
  if (!SeekTo(file_, offset) || std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() ||
      !SeekTo(file_, position_)) {
    error = Failure("write", path_);
    return false;
  }
  return true;
}

bool OutputFile::TruncateTo(uint64_t offset, std::string& error) {
  errno = 0;
  if (std::fflush(file_) != 0 || !Truncate(file_, offset) || !SeekTo(file_, offset)) {
    error = Failure("write", path_);
    return false;
  }
  position_ = offset;
  return true;
}

bool OutputFile::Commit(std::string& error) {
  errno = 0;
  // Buffered bytes that cannot reach the disk show up only now (a full disk, a quota).
  const bool flushed = std::fflush(file_) == 0;
  const int reason = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed || !closed) {
    error = "cannot write " + PathText(path_) + ": " + SystemReason(flushed ? errno : reason);
    std::error_code ignored;
    fs::remove(partial_, ignored);
    return false;
  }
  std::error_code code;
  fs::rename(partial_, path_, code);
  if (code) {
    error = "cannot write " + PathText(path_) + ": " + code.message();
    fs::remove(partial_, code);
    return false;
  }
  return true;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const fs::path& path, std::string& error) {
  InputFile in;
  if (!in.Open(path, error)) return std::nullopt;
  std::vector<uint8_t> bytes(static_cast<size_t>(in.size()));
  const auto got = in.Read(bytes, error);
  if (!got) return std::nullopt;
  bytes.resize(*got);
  return bytes;
}

std::optional<std::vector<uint8_t>> ReadWholeFile(const fs::path& path) {
  std::string ignored;
  return ReadWholeFile(path, ignored);
}

bool WriteWholeFile(const fs::path& path, std::span<const uint8_t> bytes, std::string& error) {
  OutputFile out;
  return out.Open(path, error) && out.Write(bytes, error) && out.Commit(error);
}

bool WriteWholeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::string ignored;
  return WriteWholeFile(path, std::span<const uint8_t>(bytes), ignored);
}

}  // namespace zentra
