// A zlib stream inflated as its bytes are asked for: a document read through it never holds
// its embedded files whole, so a large compressed presentation reaches its window after one
// pass of inflation that touches no more memory than inflate's own window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "core/document/archive.h"
#include "core/document/deferred_files.h"

struct z_stream_s;

namespace zp {

class InflateAhead;

// An inflater and where it stands: in the stream's bytes, and in what it has inflated.
struct InflateCursor {
  std::shared_ptr<z_stream_s> z;
  size_t in = 0;
  uint64_t out = 0;
};

class InflatingSource : public ByteSource {
 public:
  // The stream must yield exactly `inflatedSize` bytes; one byte more counts as damage. With
  // `inflateAhead`, a large stream that the packer cut into blocks has its second half inflated
  // on a thread of its own while this one reads the first; the bytes there are not kept, only
  // the inflater's state every so often, so that passing over bytes costs little once they
  // lie in that half.
  InflatingSource(std::span<const uint8_t> stream, uint64_t inflatedSize, bool inflateAhead = false);
  ~InflatingSource() override;
  InflatingSource(const InflatingSource&) = delete;
  InflatingSource& operator=(const InflatingSource&) = delete;

  // 0 at the end of the stream, and from the first damage on.
  size_t Read(std::span<uint8_t> into) override;
  bool Skip(uint64_t count) override;
  // Whether the stream ended, its checksum right, exactly where its size said. Reads what is
  // left to find out.
  bool EndsWhole();

  uint64_t position() const { return position_; }
  bool failed() const { return failed_; }

 private:
  enum class Stretch { kFirst, kSecond, kAlone };
  size_t ReadFirst(std::span<uint8_t> into);
  size_t ReadSecond(std::span<uint8_t> into);
  size_t ReadAlone(std::span<uint8_t> into);
  void CrossSplit();
  void InflateAloneFromSplit();
  void FinishSecond();

  std::span<const uint8_t> stream_;
  uint64_t inflatedSize_;
  uint64_t position_ = 0;
  bool ended_ = false;
  bool failed_ = false;
  Stretch stretch_ = Stretch::kAlone;
  InflateCursor whole_;   // the zlib inflater from the start; waits at the split while the second
                          // half is read from the states kept ahead
  InflateCursor second_;  // a raw inflater in the second half; `out` counts from the split
  size_t split_ = 0;
  std::unique_ptr<InflateAhead> ahead_;
};

// The deferred files of a compressed document, read by inflating the stream once more from its
// start while the window comes up. Ranges asked for in ascending order cost one pass; one that
// lies behind the last starts the inflation over.
class InflatedArchiveBytes : public ArchiveBytes {
 public:
  InflatedArchiveBytes(std::span<const uint8_t> stream, uint64_t inflatedSize)
      : stream_(stream), inflatedSize_(inflatedSize) {}
  bool Read(uint64_t offset, uint64_t size, const std::function<bool(std::span<const uint8_t>)>& piece) override;

 private:
  std::span<const uint8_t> stream_;
  uint64_t inflatedSize_;
  std::unique_ptr<InflatingSource> source_;
};

}  // namespace zp
