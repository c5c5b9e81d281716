// The movie file container: the header (plain "FWS" or zlib-compressed "CWS") and the tag
// stream that follows it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zp::swf {

// A rectangle in twips (1/20 pixel), as the file stores it.
struct TwipsRect {
  int32_t xMin = 0;
  int32_t xMax = 0;
  int32_t yMin = 0;
  int32_t yMax = 0;
  int32_t Width() const { return xMax - xMin; }
  int32_t Height() const { return yMax - yMin; }
  bool operator==(const TwipsRect&) const = default;
};

struct Header {
  bool compressed = false;
  uint8_t version = 0;
  uint32_t fileLength = 0;  // the header's claim: the uncompressed length of the whole file
  TwipsRect stage;
  uint16_t frameRate8_8 = 0;  // 8.8 fixed point: high byte whole frames, low byte fraction
  uint16_t frameCount = 0;

  double FrameRate() const { return frameRate8_8 / 256.0; }
  uint32_t WholeFrameRate() const { return frameRate8_8 >> 8; }
};

struct Tag {
  uint16_t code = 0;
  std::span<const uint8_t> body;
};

// Tag codes this reader knows by name.
enum TagCode : uint16_t {
  kTagEnd = 0,
  kTagShowFrame = 1,
  kTagDefineShape = 2,
  kTagPlaceObject = 4,
  kTagRemoveObject = 5,
  kTagDefineButton = 7,
  kTagSetBackgroundColor = 9,
  kTagDefineButtonSound = 17,
  kTagDefineFont = 10,
  kTagDefineText = 11,
  kTagDoAction = 12,
  kTagDefineFontInfo = 13,
  kTagDefineShape2 = 22,
  kTagDefineButtonCxform = 23,
  kTagPlaceObject2 = 26,
  kTagRemoveObject2 = 28,
  kTagDefineShape3 = 32,
  kTagDefineText2 = 33,
  kTagDefineButton2 = 34,
  kTagDefineEditText = 37,
  kTagDefineSprite = 39,
  kTagFrameLabel = 43,
  kTagDefineFont2 = 48,
  kTagExportAssets = 56,
  kTagImportAssets = 57,
  kTagDoInitAction = 59,
  kTagDefineVideoStream = 60,
  kTagDefineFontInfo2 = 62,
  kTagPlaceObject3 = 70,
  kTagImportAssets2 = 71,
  kTagDefineFont3 = 75,
  kTagDefineShape4 = 83,
};

// The tags of a tag stream (a file's body or a sprite's) up to End or the end of the data. A
// tag whose length runs past the end, or whose long length is negative, ends the list and
// sets `truncated` when given.
std::vector<Tag> ReadTags(std::span<const uint8_t> stream, bool* truncated = nullptr);

// A whole movie file in its uncompressed form ("FWS" at the start whatever the original was).
// The bytes are owned; tags point into them.
class File {
 public:
  // Fails when the signature is unknown, the header is cut short, or a compressed body does
  // not inflate to exactly the length the header declares.
  static std::optional<File> Parse(std::span<const uint8_t> bytes);

  const Header& header() const { return header_; }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  // The tags up to End or the end of the data. A tag whose length runs past the end, or
  // whose long length is negative, ends the list and sets `truncated`.
  const std::vector<Tag>& tags() const { return tags_; }
  bool truncated() const { return truncated_; }

  File(File&&) noexcept = default;
  File& operator=(File&&) noexcept = default;

 private:
  File() = default;
  Header header_;
  std::vector<uint8_t> bytes_;
  std::vector<Tag> tags_;
  bool truncated_ = false;
};

// Reads only the header fields from the start of an uncompressed ("FWS") image; used by
// `File::Parse` and by readers that need no more than the header.
std::optional<Header> ParseUncompressedHeader(std::span<const uint8_t> bytes, size_t* headerEnd);

}  // namespace zp::swf
