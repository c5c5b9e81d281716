#include "core/package_writer.h"

#include "core/zlib_codec.h"

namespace zp {

namespace {

std::vector<uint8_t> Concatenate(std::vector<uint8_t> head, std::span<const uint8_t> tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

}  // namespace

std::vector<uint8_t> MakeDocumentRecord(std::span<const uint8_t> archive, bool compress, uint32_t version) {
  DocumentRecordHeader header;
  header.tag = kDocumentTag.Text();
  header.version = version;
  header.inflatedSize = static_cast<uint32_t>(archive.size());
  if (!compress) return Concatenate(SerializeDocumentRecordHeader(header), archive);
  const std::vector<uint8_t> stream = Deflate(archive);
  header.compressed = 1;
  header.compressedSize = static_cast<uint32_t>(stream.size());
  return Concatenate(SerializeDocumentRecordHeader(header), stream);
}

std::vector<uint8_t> MakeFileRecord(const RecordTag& tag, std::u16string_view fileName,
                                    std::span<const uint8_t> bytes, bool compress) {
  FileRecordHeader header;
  header.tag = tag.Text();
  header.fileName = fileName;
  header.inflatedSize = static_cast<uint32_t>(bytes.size());
  if (!compress) return Concatenate(SerializeFileRecordHeader(header), bytes);
  const std::vector<uint8_t> stream = Deflate(bytes);
  header.compressed = true;
  header.compressedSize = static_cast<uint32_t>(stream.size());
  return Concatenate(SerializeFileRecordHeader(header), stream);
}

}  // namespace zp
