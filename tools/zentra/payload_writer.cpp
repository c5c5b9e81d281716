#include "payload_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <future>
#include <thread>

#include "progress.h"

namespace zentra {

namespace {

constexpr size_t kBlockSize = 1u << 20;
constexpr size_t kProbeBlocks = 1;
// The stream's first two bytes: deflate with a 32 KiB window at the default level.
constexpr uint8_t kZlibHeader[] = {0x78, 0x9C};

bool Pays(uint64_t in, uint64_t out) { return out < in - in / 64; }

// Every core, unless ZENTRA_THREADS says how many threads deflate (to measure, or to leave
// cores to other work).
unsigned Cores() {
  if (const char* threads = std::getenv("ZENTRA_THREADS")) {
    const unsigned long wanted = std::strtoul(threads, nullptr, 10);
    if (wanted > 0 && wanted <= 256) return static_cast<unsigned>(wanted);
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

struct DeflatedBlock {
  std::vector<uint8_t> bytes;
  uLong adler = 0;
  size_t size = 0;
  bool ok = false;
};

// A raw deflate of one block. Every block but the last ends with a full flush: byte-aligned,
// no final bit and no reference back into the block before, so the blocks join end to end.
DeflatedBlock DeflateBlock(std::vector<uint8_t> input, bool last) {
  DeflatedBlock block;
  block.size = input.size();
  block.adler = adler32(adler32(0, nullptr, 0), input.data(), static_cast<uInt>(input.size()));
  z_stream z {};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return block;
  block.bytes.resize(deflateBound(&z, static_cast<uLong>(input.size())) + 64);
  z.next_in = input.data();
  z.avail_in = static_cast<uInt>(input.size());
  z.next_out = block.bytes.data();
  z.avail_out = static_cast<uInt>(block.bytes.size());
  const int status = deflate(&z, last ? Z_FINISH : Z_FULL_FLUSH);
  block.ok = (last ? status == Z_STREAM_END : status == Z_OK) && z.avail_in == 0 && z.avail_out > 0;
  block.bytes.resize(block.bytes.size() - z.avail_out);
  deflateEnd(&z);
  return block;
}

// Cuts the bytes into blocks, deflates them on `threads` threads (one block each in flight),
// and passes the results on in order, as one zlib stream.
class BlockDeflater : public zp::ByteSink {
 public:
  BlockDeflater(zp::ByteSink& out, unsigned threads, bool probe)
      : out_(out), inFlight_(std::max(1u, threads)), probe_(probe) {
    ok_ = out_.Write(kZlibHeader);
    current_.reserve(kBlockSize);
  }

  bool Write(std::span<const uint8_t> bytes) override {
    while (ok_ && !bytes.empty()) {
      const size_t step = std::min(bytes.size(), kBlockSize - current_.size());
      current_.insert(current_.end(), bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(step));
      bytes = bytes.subspan(step);
      if (current_.size() == kBlockSize) Submit(false);
    }
    return ok_;
  }

  // Deflates the rest and ends the stream with the combined Adler-32.
  bool Finish() {
    if (ok_) Submit(true);
    while (ok_ && !pending_.empty()) WriteOldest();
    pending_.clear();
    if (!ok_) return false;
    const uint8_t trailer[] = {static_cast<uint8_t>(adler_ >> 24), static_cast<uint8_t>(adler_ >> 16),
                               static_cast<uint8_t>(adler_ >> 8), static_cast<uint8_t>(adler_)};
    ok_ = out_.Write(trailer);
    written_ += sizeof kZlibHeader + sizeof trailer;
    return ok_;
  }

  bool gaveUp() const { return gaveUp_; }
  uint64_t in() const { return in_; }
  uint64_t written() const { return written_; }

 private:
  void Submit(bool last) {
    pending_.push_back(std::async(std::launch::async, DeflateBlock, std::move(current_), last));
    current_ = {};
    current_.reserve(kBlockSize);
    // Until the first blocks have shown whether compression pays, the next block is deflated
    // while they are judged, and no more: noise then costs the deflate of one block beyond them
    // before it is stored, not of a block per thread, and compressible bytes do not wait for
    // the judgement on one core. Otherwise one more than there are threads, so that the next
    // block is being gathered while every thread deflates.
    const size_t limit = probe_ && blocks_ < kProbeBlocks ? kProbeBlocks + 1 : inFlight_ + 1;
    while (ok_ && pending_.size() >= limit) WriteOldest();
  }

  void WriteOldest() {
    DeflatedBlock block = pending_.front().get();
    pending_.pop_front();
    ok_ = block.ok && out_.Write(block.bytes);
    adler_ = adler32_combine(adler_, block.adler, static_cast<z_off_t>(block.size));
    in_ += block.size;
    written_ += block.bytes.size();
    if (probe_ && ++blocks_ == kProbeBlocks && !Pays(in_, written_)) {
      gaveUp_ = true;
      ok_ = false;
    }
  }

  zp::ByteSink& out_;
  size_t inFlight_;
  bool probe_;
  bool ok_ = true;
  bool gaveUp_ = false;
  std::vector<uint8_t> current_;
  std::deque<std::future<DeflatedBlock>> pending_;
  uLong adler_ = adler32(0, nullptr, 0);
  uint64_t in_ = 0;
  uint64_t written_ = 0;
  size_t blocks_ = 0;
};

class MemorySink : public zp::ByteSink {
 public:
  bool Write(std::span<const uint8_t> bytes) override {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
  }
  std::vector<uint8_t> bytes_;
};

// Counts what passes, for the progress line and the record's size.
class CountingSink : public zp::ByteSink {
 public:
  CountingSink(zp::ByteSink& next, Progress& progress) : next_(next), progress_(progress) {}
  bool Write(std::span<const uint8_t> bytes) override {
    count += bytes.size();
    progress_.Advance(bytes.size());
    return next_.Write(bytes);
  }
  uint64_t count = 0;

 private:
  zp::ByteSink& next_;
  Progress& progress_;
};

}  // namespace

std::vector<uint8_t> DeflateInBlocks(std::span<const uint8_t> bytes, unsigned threads) {
  MemorySink out;
  BlockDeflater deflater(out, threads == 0 ? Cores() : threads, false);
  deflater.Write(bytes);
  deflater.Finish();
  return std::move(out.bytes_);
}

bool WritePayload(OutputFile& out, bool compress, const PayloadMaker& make, Progress& progress, PayloadResult& result,
                  std::string& error) {
  const uint64_t start = out.position();
  OutputFileSink file(out);
  if (compress) {
    BlockDeflater deflater(file, Cores(), true);
    CountingSink counted(deflater, progress);
    const bool made = make(counted, error);
    const bool finished = made && deflater.Finish();
    if (finished && Pays(counted.count, deflater.written())) {
      result = {true, counted.count, deflater.written()};
      return true;
    }
    if (!file.error.empty()) {
      error = file.error;
      return false;
    }
    if (!finished && !deflater.gaveUp()) return false;
    // Compression does not pay: the bytes go in as they are.
    progress.Rewind(counted.count);
    if (!out.TruncateTo(start, error)) return false;
  }
  CountingSink counted(file, progress);
  if (!make(counted, error)) {
    if (!file.error.empty()) error = file.error;
    return false;
  }
  result = {false, counted.count, counted.count};
  return true;
}

}  // namespace zentra
