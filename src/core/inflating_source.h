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

class InflatingSource : public ByteSource {
 public:
  // The stream must yield exactly `inflatedSize` bytes; one byte more counts as damage.
  InflatingSource(std::span<const uint8_t> stream, uint64_t inflatedSize);
  ~InflatingSource() override;
  InflatingSource(const InflatingSource&) = delete;
  InflatingSource& operator=(const InflatingSource&) = delete;

  // 0 at the end of the stream, and from the first damage on.
  size_t Read(std::span<uint8_t> into) override;
  // Inflates past `count` bytes without keeping them; false when the stream ends first.
  bool Skip(uint64_t count);
  // Whether the stream ended, its checksum right, exactly where its size said. Reads what is
  // left to find out.
  bool EndsWhole();

  uint64_t position() const { return produced_; }
  bool failed() const { return failed_; }

 private:
  std::span<const uint8_t> stream_;
  uint64_t inflatedSize_;
  uint64_t produced_ = 0;
  bool ended_ = false;
  bool failed_ = false;
  std::unique_ptr<z_stream_s> z_;
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
