#include "core/inflating_source.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace zp {

namespace {
constexpr size_t kScratch = 256u << 10;
}  // namespace

InflatingSource::InflatingSource(std::span<const uint8_t> stream, uint64_t inflatedSize)
    : stream_(stream), inflatedSize_(inflatedSize), z_(std::make_unique<z_stream_s>()) {
  if (inflateInit(z_.get()) != Z_OK) {
    z_.reset();
    failed_ = true;
  }
}

InflatingSource::~InflatingSource() {
  if (z_) inflateEnd(z_.get());
}

size_t InflatingSource::Read(std::span<uint8_t> into) {
  if (failed_ || ended_ || into.empty()) return 0;
  // One byte more than the stream may yield lets an overlong stream show itself.
  const uint64_t room = inflatedSize_ + 1 - produced_;
  into = into.first(static_cast<size_t>(std::min<uint64_t>({into.size(), room, std::numeric_limits<uInt>::max()})));
  z_->next_out = into.data();
  z_->avail_out = static_cast<uInt>(into.size());
  while (z_->avail_out > 0) {
    z_->next_in = const_cast<Bytef*>(stream_.data());
    z_->avail_in = static_cast<uInt>(std::min<size_t>(stream_.size(), std::numeric_limits<uInt>::max()));
    const uInt before = z_->avail_in;
    const int status = inflate(z_.get(), Z_NO_FLUSH);
    stream_ = stream_.subspan(before - z_->avail_in);
    if (status == Z_STREAM_END) {
      ended_ = true;
      break;
    }
    // Anything else is damage: a bad block or checksum, or (Z_BUF_ERROR) input cut short.
    if (status != Z_OK) {
      failed_ = true;
      break;
    }
  }
  const size_t got = into.size() - z_->avail_out;
  produced_ += got;
  if (produced_ > inflatedSize_) failed_ = true;
  return failed_ ? 0 : got;
}

bool InflatingSource::Skip(uint64_t count) {
  std::vector<uint8_t> scratch(static_cast<size_t>(std::min<uint64_t>(count, kScratch)));
  while (count > 0) {
    const size_t got = Read(std::span<uint8_t>(scratch).first(static_cast<size_t>(std::min<uint64_t>(count, scratch.size()))));
    if (got == 0) return false;
    count -= got;
  }
  return true;
}

bool InflatingSource::EndsWhole() {
  uint8_t extra = 0;
  while (!failed_ && !ended_ && Read(std::span<uint8_t>(&extra, 1)) > 0) {
  }
  return ended_ && !failed_ && produced_ == inflatedSize_;
}

bool InflatedArchiveBytes::Read(uint64_t offset, uint64_t size,
                                const std::function<bool(std::span<const uint8_t>)>& piece) {
  if (!source_ || source_->failed() || offset < source_->position()) {
    source_ = std::make_unique<InflatingSource>(stream_, inflatedSize_);
  }
  if (!source_->Skip(offset - source_->position())) return false;
  std::vector<uint8_t> scratch(static_cast<size_t>(std::min<uint64_t>(size, kScratch)));
  while (size > 0) {
    const size_t got = source_->Read(std::span<uint8_t>(scratch).first(static_cast<size_t>(std::min<uint64_t>(size, scratch.size()))));
    if (got == 0 || !piece(std::span<const uint8_t>(scratch).first(got))) return false;
    size -= got;
  }
  return true;
}

}  // namespace zp
