// The records appended to the player's file: their tags and their two header layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/byte_order.h"

namespace zp {

// A record tag is a group tag followed by a kind tag. The halves are kept apart in the
// program's own data and joined only at run time, so that searching the program's file never
// finds the program's own copy of a tag before the record itself.
struct RecordTag {
  const char16_t* group;
  const char16_t* kind;
  std::u16string Text() const;
};

extern const RecordTag kDocumentTag;         // the document record
extern const RecordTag kResourceLibraryTag;  // "CommonResources.dll"
extern const RecordTag kFsCommandLibraryTag; // FSCommand extension libraries, any number
extern const RecordTag kInstallerTag;        // the movie-control installer
extern const RecordTag kToolsTag;            // the transparency control file

inline constexpr uint32_t kDocumentFormatVersion = 150;
inline constexpr uint32_t kFileRecordVersion = 100;

inline constexpr size_t kDocumentHeaderSize = 148;
inline constexpr size_t kDocumentTagChars = 34;

struct DocumentRecordHeader {
  std::u16string tag;  // at most 34 characters
  uint32_t version = kDocumentFormatVersion;
  uint32_t compressed = 0;
  uint32_t inflatedSize = 0;
  uint32_t compressedSize = 0;
};

inline constexpr size_t kFileHeaderSize = 496;
inline constexpr size_t kFileTagChars = 64;
inline constexpr size_t kFileNameChars = 128;

struct FileRecordHeader {
  std::u16string tag;
  uint32_t version = kFileRecordVersion;
  std::u16string fileName;
  uint32_t inflatedSize = 0;
  bool compressed = false;  // only the byte at offset 392 counts
  uint32_t compressedSize = 0;
};

// Parsing needs the whole header inside the bytes given; text fields are read up to their
// terminator or the end of their field.
std::optional<DocumentRecordHeader> ParseDocumentRecordHeader(std::span<const uint8_t> bytes);
std::optional<FileRecordHeader> ParseFileRecordHeader(std::span<const uint8_t> bytes);

// Serialising truncates texts to their fields; fields are zero-filled.
std::vector<uint8_t> SerializeDocumentRecordHeader(const DocumentRecordHeader& header);
std::vector<uint8_t> SerializeFileRecordHeader(const FileRecordHeader& header);


}  // namespace zp
