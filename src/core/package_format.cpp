#include "core/package_format.h"

#include "core/text.h"

namespace zp {

const RecordTag kDocumentTag {u"_Zentrapolis_", u"_document_"};
const RecordTag kResourceLibraryTag {u"_CommonResources_", u"_Dll_"};
const RecordTag kFsCommandLibraryTag {u"_ZentraFsCommand_", u"_Dll_"};
const RecordTag kInstallerTag {u"_ZentraFlash_", u"_Installer_"};
const RecordTag kToolsTag {u"_ZentraPackage_", u"_Tools_"};

std::u16string RecordTag::Text() const {
  std::u16string text(group);
  text += kind;
  return text;
}

namespace {

void WriteTextField(std::vector<uint8_t>& bytes, size_t offset, size_t chars, std::u16string_view text) {
  if (text.size() > chars) text = text.substr(0, chars);
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[offset + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
    bytes[offset + 2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
  }
}

}  // namespace

std::optional<DocumentRecordHeader> ParseDocumentRecordHeader(std::span<const uint8_t> bytes) {
  if (bytes.size() < kDocumentHeaderSize) return std::nullopt;
  DocumentRecordHeader header;
  header.tag = ReadUtf16Field(bytes.subspan(0, kDocumentTagChars * 2));
  header.version = *ReadU32(bytes, 68);
  header.compressed = *ReadU32(bytes, 72);
  header.inflatedSize = *ReadU32(bytes, 76);
  header.compressedSize = *ReadU32(bytes, 80);
  return header;
}

std::optional<FileRecordHeader> ParseFileRecordHeader(std::span<const uint8_t> bytes) {
  if (bytes.size() < kFileHeaderSize) return std::nullopt;
  FileRecordHeader header;
  header.tag = ReadUtf16Field(bytes.subspan(0, kFileTagChars * 2));
  header.version = *ReadU32(bytes, 128);
  header.fileName = ReadUtf16Field(bytes.subspan(132, kFileNameChars * 2));
  header.inflatedSize = *ReadU32(bytes, 388);
  header.compressed = bytes[392] != 0;
  header.compressedSize = *ReadU32(bytes, 396);
  return header;
}

std::vector<uint8_t> SerializeDocumentRecordHeader(const DocumentRecordHeader& header) {
  std::vector<uint8_t> bytes(kDocumentHeaderSize, 0);
  WriteTextField(bytes, 0, kDocumentTagChars, header.tag);
  WriteU32(bytes, 68, header.version);
  WriteU32(bytes, 72, header.compressed);
  WriteU32(bytes, 76, header.inflatedSize);
  WriteU32(bytes, 80, header.compressedSize);
  return bytes;
}

std::vector<uint8_t> SerializeFileRecordHeader(const FileRecordHeader& header) {
  std::vector<uint8_t> bytes(kFileHeaderSize, 0);
  // Text fields keep their zero terminator: one character less than the field holds.
  WriteTextField(bytes, 0, kFileTagChars - 1, header.tag);
  WriteU32(bytes, 128, header.version);
  WriteTextField(bytes, 132, kFileNameChars - 1, header.fileName);
  WriteU32(bytes, 388, header.inflatedSize);
  bytes[392] = header.compressed ? 1 : 0;
  WriteU32(bytes, 396, header.compressedSize);
  return bytes;
}

}  // namespace zp
