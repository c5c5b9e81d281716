#include "core/package_reader.h"

#include <algorithm>
#include <array>
#include <thread>

#include "core/inflating_source.h"
#include "core/safe_names.h"
#include "core/tag_search.h"
#include "core/temp_files.h"
#include "core/text.h"
#include "core/zlib_codec.h"
#include "platform/platform.h"

namespace zp {

namespace {
constexpr size_t kSmallestPackageFile = 10;
}

std::optional<size_t> FindDocumentRecord(const std::u16string& path) {
  platform::MappedFile file;
  if (file.Map(path) <= kSmallestPackageFile) return std::nullopt;
  TagSearcher searcher;
  searcher.SetPattern(kDocumentTag.Text());
  const uint8_t* match = searcher.First(file.data(), file.size());
  if (match == nullptr) return std::nullopt;
  return static_cast<size_t>(match - file.data());
}

DocumentSource::DocumentSource(std::u16string path, size_t offset, bool temporary)
    : path_(std::move(path)), offset_(offset), temporary_(temporary) {}

DocumentSource::DocumentSource(DocumentSource&& other) noexcept
    : path_(std::move(other.path_)), offset_(other.offset_), temporary_(other.temporary_) {
  other.temporary_ = false;
}

DocumentSource::~DocumentSource() {
  if (temporary_ && platform::ReadAttributes(path_)) platform::DeleteOneFile(path_);
}

namespace {

// Writes a fresh uncompressed header and the inflated document into a new temporary file.
std::optional<std::u16string> WriteInflatedDocument(const DocumentRecordHeader& original,
                                                    std::span<const uint8_t> document) {
  DocumentRecordHeader header;
  header.tag = kDocumentTag.Text();
  header.version = original.version;
  const auto headerBytes = SerializeDocumentRecordHeader(header);
  for (int attempt = 0; attempt < 50; ++attempt) {
    const std::u16string path = MakeUniqueName(u".tmp");
    platform::OutputFile out;
    if (!out.Open(path, platform::OutputFile::Mode::kCreateNew)) {
      if (platform::ReadAttributes(path)) continue;  // taken meanwhile: take another name
      return std::nullopt;
    }
    const bool written = out.Write(headerBytes) && out.Write(document);
    out.Close();
    if (written) return path;
    platform::DeleteOneFile(path);
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::unique_ptr<ArchiveBytes> LoadDocumentRecord(std::span<const uint8_t> record, DocumentModel& model,
                                                 const DocumentLoadOptions& options) {
  const auto header = ParseDocumentRecordHeader(record);
  if (!header || TrimTrailingWhiteSpace(header->tag) != kDocumentTag.Text()) {
    model.Reset();
    return nullptr;
  }
  const std::span<const uint8_t> sections = record.subspan(kDocumentHeaderSize);
  if (header->compressed == 0) {
    if (!LoadDocumentArchive(record, model, options)) return nullptr;
    return std::make_unique<HeldArchiveBytes>(sections);
  }
  InflatingSource source(sections, header->inflatedSize, true);
  if (!LoadDocumentSections(source, header->version, model, options) || !source.EndsWhole()) {
    model.Reset();
    return nullptr;
  }
  return std::make_unique<InflatedArchiveBytes>(sections, header->inflatedSize);
}

std::optional<DocumentSource> ReadDocumentRecord(const std::u16string& path, size_t offset) {
  platform::MappedFile file;
  if (file.Map(path) < kSmallestPackageFile || offset >= file.size()) return std::nullopt;
  const std::span<const uint8_t> record = file.bytes().subspan(offset);
  DocumentSource inPlace(path, offset, false);

  const auto header = ParseDocumentRecordHeader(record);
  if (!header || TrimTrailingWhiteSpace(header->tag) != kDocumentTag.Text() || header->compressed == 0) {
    return inPlace;
  }
  const auto document = InflateExact(record.subspan(kDocumentHeaderSize), header->inflatedSize);
  if (!document) return inPlace;
  const auto temporary = WriteInflatedDocument(*header, *document);
  if (!temporary) return inPlace;
  return DocumentSource(*temporary, 0, true);
}

namespace {

// The stretches of a package that may hold file records: all of it but the payload of its
// document record. That payload is the presentation's own bytes, where an embedded file may
// well carry a record's tag, and searching it would cost a large presentation's start-up.
std::array<std::span<const uint8_t>, 2> FileRecordRegions(std::span<const uint8_t> file) {
  TagSearcher searcher;
  searcher.SetPattern(kDocumentTag.Text());
  const uint8_t* match = searcher.First(file.data(), file.size());
  if (match == nullptr) return {file, {}};
  const size_t at = static_cast<size_t>(match - file.data());
  const auto header = ParseDocumentRecordHeader(file.subspan(at));
  if (!header || TrimTrailingWhiteSpace(header->tag) != kDocumentTag.Text()) return {file, {}};
  const uint64_t payload = header->compressed != 0 ? header->compressedSize : header->inflatedSize;
  const size_t end = static_cast<size_t>(std::min<uint64_t>(file.size(), at + kDocumentHeaderSize + payload));
  return {file.first(at), file.subspan(end)};
}

// Calls `found` with each record that starts with the tag, outside the document's payload,
// until it returns false.
template <class Found>
void ForEachTaggedRecord(std::span<const uint8_t> file, const RecordTag& tag, Found found) {
  TagSearcher searcher;
  if (!searcher.SetPattern(tag.Text())) return;
  for (const std::span<const uint8_t> region : FileRecordRegions(file)) {
    if (region.empty()) continue;
    for (const uint8_t* match = searcher.First(region.data(), region.size()); match != nullptr;
         match = searcher.Next()) {
      if (!found(file.subspan(static_cast<size_t>(match - file.data())))) return;
    }
  }
}

// Writes one record's payload to `path`; true when its bytes were written in full.
bool WritePayload(std::span<const uint8_t> record, const FileRecordHeader& header, const std::u16string& path) {
  platform::OutputFile out;
  if (!out.Open(path, platform::OutputFile::Mode::kCreateAlways)) return false;
  const std::span<const uint8_t> payload = record.subspan(kFileHeaderSize);
  if (header.compressed) {
    // A compressed size beyond the end of the file is cut to what is there; the stream then
    // ends early and inflation fails.
    const size_t streamSize = std::min<size_t>(header.compressedSize, payload.size());
    const auto bytes = InflateExact(payload.first(streamSize), header.inflatedSize);
    return bytes && out.Write(*bytes);
  }
  if (header.inflatedSize > payload.size()) return false;
  return out.Write(payload.first(header.inflatedSize));
}

bool ExtractOne(std::span<const uint8_t> record, const FileRecordHeader& header, const std::u16string& directory) {
  if (!IsPlainFileName(header.fileName)) return false;
  return WritePayload(record, header, JoinPath(directory, header.fileName));
}

// The first record with the tag, if it is a file record of the version this reader knows.
struct FirstRecord {
  platform::MappedFile file;
  std::span<const uint8_t> record;
  FileRecordHeader header;
};

bool FindFirstRecord(const std::u16string& source, const RecordTag& tag, FirstRecord& found) {
  if (found.file.Map(source) == 0) return false;
  bool any = false;
  ForEachTaggedRecord(found.file.bytes(), tag, [&](std::span<const uint8_t> record) {
    found.record = record;
    any = true;
    return false;
  });
  if (!any) return false;
  const auto header = ParseFileRecordHeader(found.record);
  if (!header || header->version != kFileRecordVersion) return false;
  found.header = *header;
  return true;
}

}  // namespace

bool ExtractFileRecords(const std::u16string& source, const RecordTag& tag, const std::u16string& directory,
                        bool all) {
  platform::MappedFile file;
  if (file.Map(source) == 0) return false;
  bool anyWritten = false;
  ForEachTaggedRecord(file.bytes(), tag, [&](std::span<const uint8_t> record) {
    const auto header = ParseFileRecordHeader(record);
    if (!header || header->version != kFileRecordVersion) return true;
    if (ExtractOne(record, *header, directory)) anyWritten = true;
    return all;
  });
  return anyWritten;
}

bool HasFirstFileRecord(const std::u16string& source, const RecordTag& tag) {
  FirstRecord first;
  return FindFirstRecord(source, tag, first);
}

std::optional<std::u16string> ExtractFirstFileRecord(const std::u16string& source, const RecordTag& tag,
                                                     const std::u16string& directory) {
  FirstRecord first;
  if (!FindFirstRecord(source, tag, first) || !IsPlainFileName(first.header.fileName)) return std::nullopt;
  const std::u16string path = JoinPath(directory, first.header.fileName);
  if (WritePayload(first.record, first.header, path)) return path;
  platform::DeleteOneFile(path);
  return std::nullopt;
}

bool ExtractFirstFileRecordTo(const std::u16string& source, const RecordTag& tag, const std::u16string& path,
                              uint32_t maxSize) {
  FirstRecord first;
  if (!FindFirstRecord(source, tag, first) || first.header.inflatedSize >= maxSize) return false;
  if (WritePayload(first.record, first.header, path)) return true;
  platform::DeleteOneFile(path);
  return false;
}

}  // namespace zp
