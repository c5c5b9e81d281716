#include "core/inflating_source.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "core/zlib_codec.h"

namespace zp {

namespace {

constexpr size_t kScratch = 256u << 10;
// How far apart the states kept ahead lie: passing over bytes in the second half inflates at
// most this much of them on the reader's thread.
constexpr uint64_t kKeepEvery = 1u << 20;
// Below this many inflated bytes one thread is done about as soon as two are started.
constexpr uint64_t kSmallestSplit = 8u << 20;
// What inflate's data_type says at a block boundary on a byte boundary, before the last block.
constexpr int kBetweenBlocks = 128;

std::shared_ptr<z_stream> NewInflater(bool raw) {
  auto* z = new z_stream {};
  if ((raw ? inflateInit2(z, -MAX_WBITS) : inflateInit(z)) != Z_OK) {
    delete z;
    return nullptr;
  }
  return std::shared_ptr<z_stream>(z, [](z_stream* done) {
    inflateEnd(done);
    delete done;
  });
}

std::shared_ptr<z_stream> CopyInflater(z_stream& from) {
  auto* z = new z_stream {};
  if (inflateCopy(z, &from) != Z_OK) {
    delete z;
    return nullptr;
  }
  return std::shared_ptr<z_stream>(z, [](z_stream* done) {
    inflateEnd(done);
    delete done;
  });
}

struct Inflated {
  size_t bytes = 0;
  int status = Z_OK;
  bool full = false;  // `into` was filled: inflate may hold more for the input it has read
};

// Inflates at `cursor` into `into`, reading the stream no further than `inputEnd`.
Inflated InflateAt(InflateCursor& cursor, std::span<const uint8_t> stream, size_t inputEnd, std::span<uint8_t> into) {
  z_stream& z = *cursor.z;
  z.next_in = const_cast<Bytef*>(stream.data() + cursor.in);
  z.avail_in = static_cast<uInt>(std::min<size_t>(inputEnd - cursor.in, std::numeric_limits<uInt>::max()));
  z.next_out = into.data();
  z.avail_out = static_cast<uInt>(std::min<size_t>(into.size(), std::numeric_limits<uInt>::max()));
  const uInt inBefore = z.avail_in;
  const uInt outBefore = z.avail_out;
  Inflated result;
  result.status = inflate(&z, Z_NO_FLUSH);
  cursor.in += inBefore - z.avail_in;
  result.bytes = outBefore - z.avail_out;
  cursor.out += result.bytes;
  result.full = z.avail_out == 0;
  return result;
}

uint32_t BigEndian32At(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) << 24 | static_cast<uint32_t>(bytes[at + 1]) << 16 |
         static_cast<uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

}  // namespace

// The second half of the stream, inflated raw on a thread of its own from a flush point. Its
// bytes are counted and summed, not kept; the inflater's state is kept every mebibyte.
class InflateAhead {
 public:
  struct Outcome {
    bool ok = false;
    uint64_t size = 0;
    uLong adler = 0;
  };

  InflateAhead(std::span<const uint8_t> stream, size_t split, uint64_t most)
      : stream_(stream), split_(split), most_(most) {
    thread_ = std::thread([this] { Run(); });
  }
  ~InflateAhead() {
    stop_ = true;
    thread_.join();
  }

  // A copy of the last state kept at or before `offset` (counted from the split), once the
  // thread has got that far; no inflater when it failed.
  InflateCursor StateAtOrBefore(uint64_t offset) {
    std::unique_lock guard(lock_);
    progress_.wait(guard, [&] { return done_ || reached_ >= offset; });
    if (done_ && !outcome_.ok) return {};
    auto kept = std::upper_bound(kept_.begin(), kept_.end(), offset,
                                 [](uint64_t at, const InflateCursor& state) { return at < state.out; });
    if (kept == kept_.begin()) return {};
    --kept;
    return {CopyInflater(*kept->z), kept->in, kept->out};
  }

  Outcome AwaitEnd() {
    std::unique_lock guard(lock_);
    progress_.wait(guard, [&] { return done_; });
    return outcome_;
  }

 private:
  void Run() {
    Outcome outcome;
    outcome.adler = adler32(0, nullptr, 0);
    InflateCursor cursor {NewInflater(true), split_, 0};
    std::vector<uint8_t> scratch(kScratch);
    bool going = cursor.z != nullptr;
    while (going && !stop_) {
      if (cursor.out % kKeepEvery == 0) Keep(cursor);
      const size_t want = static_cast<size_t>(std::min<uint64_t>(kScratch, kKeepEvery - cursor.out % kKeepEvery));
      const Inflated step = InflateAt(cursor, stream_, stream_.size(), std::span<uint8_t>(scratch).first(want));
      outcome.adler = adler32_z(outcome.adler, scratch.data(), step.bytes);
      if (cursor.out > most_ || (step.status != Z_OK && step.status != Z_STREAM_END)) break;
      if (step.status == Z_STREAM_END) {
        // The stream's Adler-32 follows the last block.
        outcome.ok = stream_.size() - cursor.in >= 4;
        going = false;
      }
      std::lock_guard guard(lock_);
      reached_ = cursor.out;
      progress_.notify_all();
    }
    outcome.size = cursor.out;
    std::lock_guard guard(lock_);
    outcome_ = outcome;
    done_ = true;
    progress_.notify_all();
  }

  void Keep(InflateCursor& cursor) {
    InflateCursor kept {CopyInflater(*cursor.z), cursor.in, cursor.out};
    if (kept.z == nullptr) return;
    std::lock_guard guard(lock_);
    if (kept_.empty() || kept_.back().out < kept.out) kept_.push_back(std::move(kept));
  }

  std::span<const uint8_t> stream_;
  size_t split_;
  uint64_t most_;
  std::mutex lock_;
  std::condition_variable progress_;
  std::vector<InflateCursor> kept_;
  uint64_t reached_ = 0;
  bool done_ = false;
  Outcome outcome_;
  std::atomic<bool> stop_ {false};
  std::thread thread_;
};

InflatingSource::InflatingSource(std::span<const uint8_t> stream, uint64_t inflatedSize, bool inflateAhead)
    : stream_(stream), inflatedSize_(inflatedSize), whole_ {NewInflater(false), 0, 0} {
  if (whole_.z == nullptr) {
    failed_ = true;
    return;
  }
  if (!inflateAhead || inflatedSize < kSmallestSplit || std::thread::hardware_concurrency() < 2) return;
  const std::vector<size_t> points = FlushSplitPoints(stream, 2);
  if (points.size() < 2) return;
  try {
    ahead_ = std::make_unique<InflateAhead>(stream, points[1], inflatedSize);
    split_ = points[1];
    stretch_ = Stretch::kFirst;
  } catch (const std::system_error&) {
    // No thread to be had: this one inflates it all.
  }
}

InflatingSource::~InflatingSource() = default;

size_t InflatingSource::Read(std::span<uint8_t> into) {
  // One byte more than the stream may yield lets an overlong stream show itself.
  into = into.first(static_cast<size_t>(std::min<uint64_t>(into.size(), inflatedSize_ + 1 - position_)));
  size_t got = 0;
  while (got < into.size() && !failed_ && !ended_) {
    const std::span<uint8_t> rest = into.subspan(got);
    switch (stretch_) {
      case Stretch::kFirst: got += ReadFirst(rest); break;
      case Stretch::kSecond: got += ReadSecond(rest); break;
      case Stretch::kAlone: got += ReadAlone(rest); break;
    }
  }
  position_ += got;
  if (position_ > inflatedSize_) failed_ = true;
  return failed_ ? 0 : got;
}

size_t InflatingSource::ReadFirst(std::span<uint8_t> into) {
  const Inflated step = InflateAt(whole_, stream_, split_, into);
  if (step.status == Z_STREAM_END) {
    // Ended before the split: what lies after it was never part of the stream.
    ahead_.reset();
    stretch_ = Stretch::kAlone;
    ended_ = true;
  } else if (step.status != Z_OK && !(step.status == Z_BUF_ERROR && whole_.in == split_)) {
    failed_ = true;
  } else if (whole_.in == split_ && !step.full) {
    CrossSplit();
  }
  return step.bytes;
}

void InflatingSource::CrossSplit() {
  // Everything before the split is out. The half inflated ahead is the rest of this stream only
  // when the stream stops there between two blocks, and the thread got going from there.
  if (whole_.z->data_type == kBetweenBlocks) second_ = ahead_->StateAtOrBefore(0);
  if (second_.z == nullptr) {
    ahead_.reset();
    stretch_ = Stretch::kAlone;
    return;
  }
  stretch_ = Stretch::kSecond;
}

size_t InflatingSource::ReadSecond(std::span<uint8_t> into) {
  const Inflated step = InflateAt(second_, stream_, stream_.size(), into);
  if (step.status == Z_STREAM_END) {
    FinishSecond();
  } else if (step.status != Z_OK) {
    // Damage, or a flush point that was none: the inflater waiting at the split goes on alone
    // and judges.
    InflateAloneFromSplit();
    return 0;
  }
  return step.bytes;
}

void InflatingSource::FinishSecond() {
  const InflateAhead::Outcome ahead = ahead_->AwaitEnd();
  const uLong adler = adler32_combine(whole_.z->adler, ahead.adler, static_cast<z_off_t>(ahead.size));
  ended_ = true;
  failed_ = !ahead.ok || ahead.size != second_.out || whole_.out + ahead.size != inflatedSize_ ||
            stream_.size() - second_.in < 4 || BigEndian32At(stream_, second_.in) != static_cast<uint32_t>(adler);
}

void InflatingSource::InflateAloneFromSplit() {
  const uint64_t behind = second_.out;
  ahead_.reset();
  second_ = {};
  stretch_ = Stretch::kAlone;
  // Catch up with what was already handed out from the second half.
  std::vector<uint8_t> scratch(static_cast<size_t>(std::min<uint64_t>(behind, kScratch)));
  for (uint64_t left = behind; left > 0 && !failed_;) {
    const size_t got = ReadAlone(std::span<uint8_t>(scratch).first(static_cast<size_t>(std::min<uint64_t>(left, scratch.size()))));
    if (got == 0 && !failed_) failed_ = true;  // the stream ended inside what was handed out
    left -= std::min<uint64_t>(got, left);
  }
}

size_t InflatingSource::ReadAlone(std::span<uint8_t> into) {
  const Inflated step = InflateAt(whole_, stream_, stream_.size(), into);
  if (step.status == Z_STREAM_END) {
    ended_ = true;
  } else if (step.status != Z_OK) {
    // A bad block or checksum, or (Z_BUF_ERROR) input cut short.
    failed_ = true;
  }
  return step.bytes;
}

bool InflatingSource::Skip(uint64_t count) {
  const uint64_t target = position_ + count;
  std::vector<uint8_t> scratch(static_cast<size_t>(std::min<uint64_t>(count, kScratch)));
  while (position_ < target) {
    if (stretch_ == Stretch::kSecond && target - position_ > kKeepEvery) {
      // Start again from the state kept nearest before the target, when that is further on.
      InflateCursor kept = ahead_->StateAtOrBefore(target - whole_.out);
      if (kept.z != nullptr && kept.out > second_.out) {
        position_ = whole_.out + kept.out;
        second_ = std::move(kept);
        continue;
      }
    }
    if (Read(std::span<uint8_t>(scratch).first(static_cast<size_t>(std::min<uint64_t>(target - position_, scratch.size())))) == 0) {
      return false;
    }
  }
  return true;
}

bool InflatingSource::EndsWhole() {
  if (!failed_ && !ended_ && position_ < inflatedSize_) Skip(inflatedSize_ - position_);
  uint8_t extra = 0;
  while (!failed_ && !ended_ && Read(std::span<uint8_t>(&extra, 1)) > 0) {
  }
  return ended_ && !failed_ && position_ == inflatedSize_;
}

bool InflatedArchiveBytes::Read(uint64_t offset, uint64_t size,
                                const std::function<bool(std::span<const uint8_t>)>& piece) {
  if (!source_ || source_->failed() || offset < source_->position()) {
    source_ = std::make_unique<InflatingSource>(stream_, inflatedSize_);
  }
  if (!source_->Skip(offset - source_->position())) return false;
  std::vector<uint8_t> scratch(static_cast<size_t>(std::min<uint64_t>(size, kScratch)));
  while (size > 0) {
    const size_t got =
        source_->Read(std::span<uint8_t>(scratch).first(static_cast<size_t>(std::min<uint64_t>(size, scratch.size()))));
    if (got == 0 || !piece(std::span<const uint8_t>(scratch).first(got))) return false;
    size -= got;
  }
  return true;
}

}  // namespace zp
