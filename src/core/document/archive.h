// The archive primitives of the document format, all little-endian: int32, float32, the
// length-prefixed string (UTF-16 with its 0xFF 0xFFFE marker, or the older 8-bit form), the
// count, the byte block and the embedded file (stored path plus byte block).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace zp {

// Bytes that arrive in order and are not all at hand at once (an archive being inflated).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills the front of `into`; 0 only at the end of the bytes or on a failure.
  virtual size_t Read(std::span<uint8_t> into) = 0;
  // Passes over `count` bytes; false when the bytes end first. Sources that can pass over
  // bytes without producing them say so here.
  virtual bool Skip(uint64_t count);
};

// Where a writer's bytes go when they are passed on rather than kept. False stops the writer.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(std::span<const uint8_t> bytes) = 0;
};

// Reads primitives from a span, or from a source through a buffer that holds only what one
// field needs (byte blocks are passed through in pieces, never held whole). The first read that would pass the end sets a sticky error
// flag; every read after it returns a zero value and the flag stays set, so a caller may read
// a whole section and check once.
class ArchiveReader {
 public:
  explicit ArchiveReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  explicit ArchiveReader(ByteSource& source) : source_(&source) {}

  int32_t Int32();
  uint32_t UInt32();
  uint16_t UInt16();
  uint8_t Byte();
  float Float32();
  std::u16string String();
  uint32_t Count();
  // A byte block's bytes as a view into the input (valid as long as the input, or until the
  // next read from a source). Meant for small blocks; files go through BlockInPieces.
  std::span<const uint8_t> Block();
  // A byte block of `size` bytes (its count already read) handed to `piece` in one or more
  // pieces, each valid during the call only: one piece from a span. Stops early when `piece`
  // returns false; a block that ends early sets the error flag.
  void BlockInPieces(uint32_t size, const std::function<bool(std::span<const uint8_t>)>& piece);
  // Passes over `count` bytes; from a source, without holding them.
  void Skip(size_t count);

  bool failed() const { return failed_; }
  bool streaming() const { return source_ != nullptr; }
  void Fail() { failed_ = true; }
  size_t position() const { return position_; }
  // Where the next read starts, counted from the start of the input (of the source's bytes
  // when streaming).
  uint64_t offset() const { return source_ == nullptr ? position_ : consumed_ - (bytes_.size() - position_); }
  // From a source: what is buffered, not what the source still holds.
  size_t remaining() const { return failed_ ? 0 : bytes_.size() - position_; }

 private:
  std::span<const uint8_t> Take(size_t count);
  // Makes `count` bytes available at `position_`, reading from the source; false when it ends.
  bool Fill(size_t count);

  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  bool failed_ = false;
  ByteSource* source_ = nullptr;
  uint64_t consumed_ = 0;  // read from the source in all
  std::vector<uint8_t> buffer_;  // holds `bytes_` when reading from a source
};

// Writes primitives in the forms the reader accepts; strings always in the UTF-16 form.
class ArchiveWriter {
 public:
  void Int32(int32_t value);
  void UInt32(uint32_t value);
  void UInt16(uint16_t value);
  void Byte(uint8_t value);
  void Float32(float value);
  void String(std::u16string_view text);
  // The 8-bit form, for documents of the oldest writers (tests use it).
  void String8(std::string_view text);
  void Count(uint32_t count);
  void Block(std::span<const uint8_t> bytes);
  void Raw(std::span<const uint8_t> bytes);

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace zp
