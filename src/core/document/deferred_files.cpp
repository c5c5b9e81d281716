#include "core/document/deferred_files.h"

#include <algorithm>
#include <system_error>

#include "platform/platform.h"

namespace zp {

namespace {
// Small enough that Stop is heard soon, large enough to cost nothing.
constexpr size_t kPiece = 4u << 20;
}  // namespace

DeferredFiles::~DeferredFiles() { Stop(); }

bool HeldArchiveBytes::Read(uint64_t offset, uint64_t size,
                            const std::function<bool(std::span<const uint8_t>)>& piece) {
  if (offset > bytes_.size() || size > bytes_.size() - offset) return false;
  for (uint64_t at = 0; at < size; at += kPiece) {
    if (!piece(bytes_.subspan(static_cast<size_t>(offset + at), static_cast<size_t>(std::min<uint64_t>(kPiece, size - at))))) {
      return false;
    }
  }
  return true;
}

void DeferredFiles::Add(size_t item, std::u16string path, uint64_t offset, uint64_t size) {
  files_.push_back({item, std::move(path), offset, size});
}

void DeferredFiles::Start() {
  if (started_ || files_.empty()) return;
  started_ = true;
  try {
    writer_ = std::thread([this] { WriteAll(); });
  } catch (const std::system_error&) {
    WriteAll();
  }
}

void DeferredFiles::WriteAll() {
  for (size_t i = 0; i < files_.size(); ++i) {
    const bool written = Write(files_[i]);
    std::lock_guard guard(lock_);
    if (!written && !stop_) platform::DeleteOneFile(files_[i].path);
    done_ = i + 1;
    progress_.notify_all();
    if (stop_) return;
  }
}

bool DeferredFiles::Write(const File& file) {
  platform::OutputFile out;
  if (source_ == nullptr || !out.Open(file.path, platform::OutputFile::Mode::kCreateAlways)) return false;
  const bool read = source_->Read(file.offset, file.size, [&](std::span<const uint8_t> piece) {
    {
      std::lock_guard guard(lock_);
      if (stop_) return false;
    }
    return out.Write(piece);
  });
  out.Close();
  return read;
}

void DeferredFiles::AwaitItem(size_t item) {
  Start();
  std::unique_lock guard(lock_);
  progress_.wait(guard, [&] { return stop_ || done_ == files_.size() || files_[done_].item > item; });
}

void DeferredFiles::AwaitAll() {
  Start();
  std::unique_lock guard(lock_);
  progress_.wait(guard, [&] { return stop_ || done_ == files_.size(); });
}

void DeferredFiles::Stop() {
  {
    std::lock_guard guard(lock_);
    stop_ = true;
    progress_.notify_all();
  }
  if (writer_.joinable()) writer_.join();
}

void DeferredFiles::Clear() {
  Stop();
  std::lock_guard guard(lock_);
  files_.clear();
  source_.reset();
  done_ = 0;
  stop_ = false;
  started_ = false;
  writer_ = {};
}

}  // namespace zp
