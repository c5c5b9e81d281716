// Embedded files that a presentation's first moments do not need, written on a thread of their
// own while the window comes up: the files of every item but the first. Their names are taken
// (as empty files) while the document loads, so every path is final at once; whoever is about
// to use an item's files waits for them with AwaitItem.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace zp {

// Where the deferred files' bytes lie: the document's sections, by offset from their start.
class ArchiveBytes {
 public:
  virtual ~ArchiveBytes() = default;
  // Hands the `size` bytes at `offset` to `piece`, in order, in pieces valid during the call;
  // false when they cannot be had whole or `piece` returns false.
  virtual bool Read(uint64_t offset, uint64_t size, const std::function<bool(std::span<const uint8_t>)>& piece) = 0;
};

// Sections held in memory (or mapped), as a document read in place has them.
class HeldArchiveBytes : public ArchiveBytes {
 public:
  explicit HeldArchiveBytes(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool Read(uint64_t offset, uint64_t size, const std::function<bool(std::span<const uint8_t>)>& piece) override;

 private:
  std::span<const uint8_t> bytes_;
};

class DeferredFiles {
 public:
  DeferredFiles() = default;
  ~DeferredFiles();
  DeferredFiles(const DeferredFiles&) = delete;
  DeferredFiles& operator=(const DeferredFiles&) = delete;

  // Where the files' bytes come from; set before the writing starts. What the source reads must
  // stay valid until every file is written or Stop has returned.
  void SetSource(std::unique_ptr<ArchiveBytes> source) { source_ = std::move(source); }
  // Items are added in ascending order, and so are their offsets.
  void Add(size_t item, std::u16string path, uint64_t offset, uint64_t size);
  // Writes the files, in the order added, on a thread of its own (on this one when no thread
  // can be started). Only the first call counts; the waits below start the writing themselves.
  void Start();
  // Returns once every file of the items up to `item` is written, or has failed: a file that
  // cannot be written whole is deleted, and the item then finds no file where it looks.
  void AwaitItem(size_t item);
  void AwaitAll();
  // Ends the writing after the piece being written; files not written stay empty.
  void Stop();
  // Stops, and forgets every file and the source: ready for another document.
  void Clear();
  bool empty() const { return files_.empty(); }

 private:
  struct File {
    size_t item;
    std::u16string path;
    uint64_t offset;
    uint64_t size;
  };
  void WriteAll();
  bool Write(const File& file);

  std::vector<File> files_;
  std::unique_ptr<ArchiveBytes> source_;
  std::mutex lock_;
  std::condition_variable progress_;
  size_t done_ = 0;  // files_[0, done_) are written or have failed
  bool stop_ = false;
  bool started_ = false;
  std::thread writer_;
};

}  // namespace zp
