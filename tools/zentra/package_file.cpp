#include "package_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <ostream>

#include "core/fscommand/pe_export_names.h"
#include "core/package_writer.h"
#include "core/safe_names.h"
#include "core/tag_search.h"
#include "core/text.h"
#include "payload_writer.h"
#include "progress.h"
#include "stub.h"

namespace zentra {

namespace {

constexpr size_t kCopyChunk = 1u << 20;
constexpr uint64_t kRecordLimit = std::numeric_limits<uint32_t>::max();

struct PartFile {
  const zp::RecordTag* tag;
  fs::path path;
};

// Finds one optional part: the manifest's file, or its default name in the manifest's package
// folder or beside the stub. `needed` says why the document needs it, when it does.
bool ResolvePart(const PackagePart& part, const char* defaultName, const char* field,
                 const std::vector<fs::path>& folders, const zp::RecordTag& tag, const char* needed,
                 std::vector<PartFile>& parts, std::vector<std::string>& warnings, std::string& error) {
  if (part.mode == PackagePart::Mode::kOff) return true;
  if (part.mode == PackagePart::Mode::kFile) {
    parts.push_back({&tag, part.file});
    return true;
  }
  std::string looked;
  for (const fs::path& folder : folders) {
    std::error_code code;
    if (fs::is_regular_file(folder / defaultName, code)) {
      parts.push_back({&tag, folder / defaultName});
      return true;
    }
    looked += (looked.empty() ? "" : " and ") + PathText(folder);
  }
  if (part.mode == PackagePart::Mode::kRequired) {
    error = std::string("package.") + field + ": " + defaultName + " not found in " + looked +
            " (true means the one beside the stub; name another file or use false)";
    return false;
  }
  if (needed != nullptr) {
    warnings.push_back(std::string("the package has no ") + defaultName + " (looked in " + looked + "); " + needed +
                       ". Put it there, or name it as package." + field);
  }
  return true;
}

bool HasMovies(const zp::DocumentModel& document) {
  return std::any_of(document.movieList.items.begin(), document.movieList.items.end(),
                     [](const zp::MovieItem& item) { return zp::KindOfPath(item.file.path) == zp::MovieKind::kFlash; });
}

// The bytes of the files a manifest names, read when the writer gets to them.
class ManifestFiles : public zp::EmbeddedFileSource {
 public:
  bool CopyTo(const zp::EmbeddedFile& file, zp::ByteSink& to) override {
    const fs::path path = PathFromText(zp::U16ToUtf8(file.source));
    return CopyFile(path, file.sourceSize, to, error);
  }

  static bool CopyFile(const fs::path& path, uint64_t expected, zp::ByteSink& to, std::string& error) {
    InputFile in;
    if (!in.Open(path, error)) return false;
    std::vector<uint8_t> chunk(kCopyChunk);
    uint64_t total = 0;
    for (;;) {
      const auto got = in.Read(chunk, error);
      if (!got) return false;
      if (*got == 0) break;
      total += *got;
      if (total > expected) break;
      if (!to.Write(std::span<const uint8_t>(chunk).first(*got))) return false;
    }
    if (total != expected) {
      error = PathText(path) + " changed while it was being packed (" + std::to_string(expected) + " bytes before, " +
              std::to_string(total) + " now)";
      return false;
    }
    return true;
  }

  std::string error;
};

// Counts without writing, to learn a document's size before it is written.
class SizeOnly : public zp::ByteSink, public zp::EmbeddedFileSource {
 public:
  bool Write(std::span<const uint8_t> bytes) override {
    size += bytes.size();
    return true;
  }
  bool CopyTo(const zp::EmbeddedFile& file, zp::ByteSink&) override {
    size += file.sourceSize;
    return true;
  }
  uint64_t size = 0;
};

// An extension library built for another machine than the player cannot be loaded by it: the
// player then finds none of its commands. Only the headers are read.
void WarnAboutForeignLibraries(const std::vector<PartFile>& parts, std::span<const uint8_t> stub,
                               std::vector<std::string>& warnings) {
  const auto player = zp::ReadPeMachine(stub);
  if (!player) return;
  for (const PartFile& part : parts) {
    if (part.tag != &zp::kFsCommandLibraryTag) continue;
    InputFile in;
    std::string ignored;
    std::vector<uint8_t> head(64 * 1024);
    if (!in.Open(part.path, ignored)) continue;
    const auto got = in.Read(head, ignored);
    if (!got) continue;
    head.resize(*got);
    const auto library = zp::ReadPeMachine(head);
    if (!library || *library == *player) continue;
    warnings.push_back("the extension library " + PathText(part.path) + " is built for " + zp::U16ToUtf8(zp::PeMachineName(*library)) +
                       " and the player for " + zp::U16ToUtf8(zp::PeMachineName(*player)) +
                       "; the player cannot load it, so its commands will not be found");
  }
}

std::string TooLarge(const std::string& what, uint64_t size) {
  return what + " is " + Progress::Size(size) + "; a package record holds at most 4 GiB";
}

// Writes one record: its header with the sizes left open, the payload, then the header again.
template <class Header, class Serialize>
bool WriteRecord(OutputFile& out, Header header, Serialize serialize, bool compress, const PayloadMaker& make,
                 const std::string& what, Progress& progress, std::string& error) {
  const uint64_t headerAt = out.position();
  if (!out.Write(serialize(header), error)) return false;
  PayloadResult result;
  if (!WritePayload(out, compress, make, progress, result, error)) return false;
  if (result.size > kRecordLimit || result.storedSize > kRecordLimit) {
    error = TooLarge(what, std::max(result.size, result.storedSize));
    return false;
  }
  header.compressed = result.compressed;
  header.inflatedSize = static_cast<uint32_t>(result.size);
  header.compressedSize = result.compressed ? static_cast<uint32_t>(result.storedSize) : 0;
  return out.WriteAt(headerAt, serialize(header), error);
}

}  // namespace

bool BuildPackage(const Manifest& manifest, const fs::path& stub, const fs::path& output, std::ostream& err,
                  const BuildOptions& options, std::vector<std::string>& warnings, std::string& error) {
  auto stubBytes = ReadWholeFile(stub, error);
  if (!stubBytes) {
    error = "--stub: " + error;
    return false;
  }
  if (const std::string problem = StubProblem(*stubBytes); !problem.empty()) {
    error = "--stub " + PathText(stub) + ": " + problem;
    return false;
  }
  // The player takes the first document it finds in its file: a stub that already carries
  // one would play that one, not this.
  zp::TagSearcher searcher;
  searcher.SetPattern(zp::kDocumentTag.Text());
  if (searcher.First(stubBytes->data(), stubBytes->size()) != nullptr) {
    error = "--stub " + PathText(stub) + ": it already carries a package (use the bare Projector.exe)";
    return false;
  }

  std::error_code code;
  const PackageOptions& package = manifest.package;
  std::vector<fs::path> folders;
  if (!package.folder.empty()) folders.push_back(package.folder);
  folders.push_back(fs::absolute(stub, code).parent_path());
  const zp::DocumentModel& document = manifest.document;
  std::vector<PartFile> parts;
  const bool transparent = document.appearanceOptions.windowMode == 2;
  if (!ResolvePart(package.resourceLibrary, kResourceLibraryName, "resourceLibrary", folders, zp::kResourceLibraryTag,
                   "the player's menus and log take their words from it", parts, warnings, error) ||
      !ResolvePart(package.extensionLibraryDefault, kExtensionLibraryName, "extensionLibraries", folders,
                   zp::kFsCommandLibraryTag, nullptr, parts, warnings, error)) {
    return false;
  }
  for (const fs::path& library : package.extensionLibraries) parts.push_back({&zp::kFsCommandLibraryTag, library});
  if (!ResolvePart(package.installer, kInstallerName, "installer", folders, zp::kInstallerTag,
                   HasMovies(document) ? "a PC without the movie player cannot play this presentation's movies"
                                       : nullptr,
                   parts, warnings, error) ||
      !ResolvePart(package.transparencyControl, kTransparencyControlName, "transparencyControl", folders,
                   zp::kToolsTag, transparent ? "the transparent window cannot be shown without it" : nullptr, parts,
                   warnings, error)) {
    return false;
  }

  WarnAboutForeignLibraries(parts, *stubBytes, warnings);
  uint64_t total = stubBytes->size();
  SizeOnly sizing;
  zp::WriteDocumentSections(document, zp::kNewestDocumentVersion, sizing, &sizing);
  if (sizing.size > kRecordLimit) {
    error = TooLarge("the presentation", sizing.size);
    return false;
  }
  total += sizing.size;
  for (const PartFile& part : parts) {
    const std::u16string name = zp::Utf8ToU16(PathText(part.path.filename()));
    if (!zp::IsPlainFileName(name) || name.size() >= zp::kFileNameChars) {
      error = "package file name not usable (at most 127 characters, no separators): " + PathText(part.path);
      return false;
    }
    total += fs::file_size(part.path, code);
  }

  Progress progress(err, options.showProgress, "packing", total);
  OutputFile out;
  if (!out.Open(output, error) || !out.Write(*stubBytes, error)) return false;
  progress.Advance(stubBytes->size());
  stubBytes.reset();

  ManifestFiles files;
  zp::DocumentRecordHeader documentHeader;
  documentHeader.tag = zp::kDocumentTag.Text();
  const PayloadMaker makeDocument = [&](zp::ByteSink& to, std::string& problem) {
    files.error.clear();
    if (zp::WriteDocumentSections(document, zp::kNewestDocumentVersion, to, &files)) return true;
    problem = files.error;
    return false;
  };
  if (!WriteRecord(out, documentHeader, zp::SerializeDocumentRecordHeader, package.compress, makeDocument,
                   "the presentation", progress, error)) {
    return false;
  }
  for (const PartFile& part : parts) {
    zp::FileRecordHeader header;
    header.tag = part.tag->Text();
    header.fileName = zp::Utf8ToU16(PathText(part.path.filename()));
    const uint64_t size = fs::file_size(part.path, code);
    const PayloadMaker copy = [&](zp::ByteSink& to, std::string& problem) {
      return ManifestFiles::CopyFile(part.path, size, to, problem);
    };
    if (!WriteRecord(out, header, zp::SerializeFileRecordHeader, package.compress, copy, PathText(part.path),
                     progress, error)) {
      return false;
    }
  }
  if (!out.Commit(error)) return false;
  progress.Finish();
  return true;
}

const char* KindName(RecordInfo::Kind kind) {
  switch (kind) {
    case RecordInfo::Kind::kDocument: return "document";
    case RecordInfo::Kind::kResourceLibrary: return "resource-library";
    case RecordInfo::Kind::kExtensionLibrary: return "extension-library";
    case RecordInfo::Kind::kInstaller: return "installer";
    case RecordInfo::Kind::kTransparencyControl: return "transparency-control";
  }
  return "?";
}

std::string Describe(const RecordInfo& record) {
  if (record.tag.empty()) return "a record at " + std::to_string(record.offset);
  std::string text = std::string("the ") + KindName(record.kind) + " record at " + std::to_string(record.offset);
  return record.fileName.empty() ? text : text + " (" + record.fileName + ")";
}

namespace {

struct KindTag {
  const zp::RecordTag* tag;
  RecordInfo::Kind kind;
};

const KindTag kKinds[] = {{&zp::kDocumentTag, RecordInfo::Kind::kDocument},
                          {&zp::kResourceLibraryTag, RecordInfo::Kind::kResourceLibrary},
                          {&zp::kFsCommandLibraryTag, RecordInfo::Kind::kExtensionLibrary},
                          {&zp::kInstallerTag, RecordInfo::Kind::kInstaller},
                          {&zp::kToolsTag, RecordInfo::Kind::kTransparencyControl}};

std::vector<uint8_t> TagBytes(const zp::RecordTag& tag) {
  std::vector<uint8_t> bytes;
  for (char16_t unit : tag.Text()) {
    bytes.push_back(static_cast<uint8_t>(unit));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return bytes;
}

// Reads the record whose tag starts at `offset`. Nothing for a chance match of a file tag
// (its header version is not 100).
std::optional<RecordInfo> RecordAt(std::span<const uint8_t> file, size_t offset, const KindTag& kind) {
  RecordInfo record;
  record.kind = kind.kind;
  record.tag = zp::U16ToUtf8(kind.tag->Text());
  record.offset = offset;
  const auto bytes = file.subspan(offset);
  const bool document = kind.kind == RecordInfo::Kind::kDocument;
  const size_t headerSize = document ? zp::kDocumentHeaderSize : zp::kFileHeaderSize;
  if (bytes.size() < headerSize) {
    record.cutOff = true;  // the file ends inside the header: the package was cut short
    return record;
  }
  if (document) {
    const auto header = zp::ParseDocumentRecordHeader(bytes);
    record.compressed = header->compressed != 0;
    record.size = header->inflatedSize;
    record.storedSize = record.compressed ? header->compressedSize : header->inflatedSize;
    record.version = header->version;
  } else {
    const auto header = zp::ParseFileRecordHeader(bytes);
    if (header->version != zp::kFileRecordVersion) return std::nullopt;
    record.compressed = header->compressed;
    record.size = header->inflatedSize;
    record.storedSize = header->compressed ? header->compressedSize : header->inflatedSize;
    record.version = header->version;
    record.fileName = zp::U16ToUtf8(header->fileName);
  }
  record.cutOff = record.storedSize > bytes.size() - headerSize;
  return record;
}

// The kind whose tag starts at `offset`, or nothing. When the file ends inside the tag, the
// kind is the first whose tag begins with what is there (`sure` is false when several do).
const KindTag* TagAt(std::span<const uint8_t> file, size_t offset, bool withDocument, bool& sure) {
  const auto rest = file.subspan(offset);
  const KindTag* found = nullptr;
  size_t matches = 0;
  for (const KindTag& kind : kKinds) {
    if (kind.kind == RecordInfo::Kind::kDocument && !withDocument) continue;
    const std::vector<uint8_t> tag = TagBytes(*kind.tag);
    const size_t compared = std::min(tag.size(), rest.size());
    if (!std::equal(tag.begin(), tag.begin() + static_cast<ptrdiff_t>(compared), rest.begin())) continue;
    if (found == nullptr) found = &kind;
    ++matches;
  }
  sure = matches == 1;
  return found;
}

// Every record in the bytes from `from` on, found by searching for each tag as the player does.
void SearchRecords(std::span<const uint8_t> file, size_t from, bool documentFound, std::vector<RecordInfo>& records) {
  const auto region = file.subspan(from);
  for (const KindTag& kind : kKinds) {
    if (kind.kind == RecordInfo::Kind::kDocument && documentFound) continue;
    zp::TagSearcher searcher;
    searcher.SetPattern(kind.tag->Text());
    for (const uint8_t* match = searcher.First(region.data(), region.size()); match != nullptr;
         match = searcher.Next()) {
      const auto record = RecordAt(file, static_cast<size_t>(match - file.data()), kind);
      if (!record) continue;
      records.push_back(*record);
      if (kind.kind == RecordInfo::Kind::kDocument) break;  // the player reads the first only
    }
  }
}

}  // namespace

std::vector<RecordInfo> ListRecords(std::span<const uint8_t> file) {
  // Records lie back to back after the program image: once the document is found, each record's
  // sizes tell where the next begins, and only headers are read. Where that chain breaks (bytes
  // of no record, a writer that left the document's size out), the rest is searched tag by tag.
  std::vector<RecordInfo> records;
  zp::TagSearcher searcher;
  searcher.SetPattern(zp::kDocumentTag.Text());
  const uint8_t* document = searcher.First(file.data(), file.size());
  size_t at = document == nullptr ? 0 : static_cast<size_t>(document - file.data());
  bool chained = document != nullptr;
  while (chained && at < file.size()) {
    bool sure = true;
    const KindTag* kind = TagAt(file, at, records.empty(), sure);
    auto record = kind == nullptr ? std::nullopt : RecordAt(file, at, *kind);
    if (!record) {
      chained = false;
      break;
    }
    if (!sure) record->tag.clear();  // cut inside a tag that more than one kind begins with
    records.push_back(*record);
    const bool isDocument = record->kind == RecordInfo::Kind::kDocument;
    const size_t headerSize = isDocument ? zp::kDocumentHeaderSize : zp::kFileHeaderSize;
    if (record->cutOff) break;
    if (isDocument && !record->compressed && record->size == 0) {
      at += headerSize;
      chained = false;
      break;
    }
    at += headerSize + record->storedSize;
  }
  if (!chained) SearchRecords(file, at, !records.empty(), records);
  std::sort(records.begin(), records.end(), [](const RecordInfo& a, const RecordInfo& b) { return a.offset < b.offset; });
  return records;
}

namespace {

// A zlib stream inflated on demand, as the document reader asks for bytes.
class InflatingSource : public zp::ByteSource {
 public:
  explicit InflatingSource(std::span<const uint8_t> stream) : stream_(stream) {
    ok_ = inflateInit(&z_) == Z_OK;
    z_.next_in = const_cast<Bytef*>(stream.data());
    z_.avail_in = static_cast<uInt>(std::min<size_t>(stream.size(), std::numeric_limits<uInt>::max()));
  }
  ~InflatingSource() override { inflateEnd(&z_); }
  InflatingSource(const InflatingSource&) = delete;
  InflatingSource& operator=(const InflatingSource&) = delete;

  size_t Read(std::span<uint8_t> into) override {
    if (!ok_ || ended_ || into.empty()) return 0;
    z_.next_out = into.data();
    z_.avail_out = static_cast<uInt>(std::min<size_t>(into.size(), std::numeric_limits<uInt>::max()));
    const int status = inflate(&z_, Z_NO_FLUSH);
    const size_t produced = into.size() - z_.avail_out;
    if (status == Z_STREAM_END) ended_ = true;
    if (status != Z_OK && status != Z_STREAM_END && !(status == Z_BUF_ERROR && produced > 0)) ok_ = false;
    total_ += produced;
    return produced;
  }

  bool ended() const { return ended_; }
  uint64_t total() const { return total_; }

 private:
  std::span<const uint8_t> stream_;
  z_stream z_ {};
  bool ok_ = false;
  bool ended_ = false;
  uint64_t total_ = 0;
};

class SpanSource : public zp::ByteSource {
 public:
  explicit SpanSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t Read(std::span<uint8_t> into) override {
    const size_t step = std::min(into.size(), bytes_.size());
    std::memcpy(into.data(), bytes_.data(), step);
    bytes_ = bytes_.subspan(step);
    return step;
  }

 private:
  std::span<const uint8_t> bytes_;
};

std::span<const uint8_t> Payload(std::span<const uint8_t> file, const RecordInfo& record) {
  const size_t headerSize = record.kind == RecordInfo::Kind::kDocument ? zp::kDocumentHeaderSize : zp::kFileHeaderSize;
  if (record.offset > file.size() || file.size() - record.offset < headerSize) return {};
  const auto payload = file.subspan(record.offset + headerSize);
  return payload.first(std::min<size_t>(payload.size(), record.storedSize));
}

}  // namespace

std::optional<zp::DocumentModel> ReadDocument(std::span<const uint8_t> file, const std::vector<RecordInfo>& records,
                                              const zp::DocumentLoadOptions& options, std::string& error) {
  const auto record = std::find_if(records.begin(), records.end(),
                                   [](const RecordInfo& r) { return r.kind == RecordInfo::Kind::kDocument; });
  if (record == records.end()) {
    error = "no document record";
    return std::nullopt;
  }
  zp::DocumentModel model;
  bool loaded = false;
  if (record->cutOff) {
    error = Describe(*record) + " is cut off: the file ends inside it";
  } else if (record->version > zp::kNewestDocumentVersion) {
    error = "the document's version " + std::to_string(record->version) + " is newer than 150";
  } else if (record->compressed) {
    InflatingSource source(Payload(file, *record));
    loaded = zp::LoadDocumentSections(source, record->version, model, options);
    if (loaded && (!source.ended() || source.total() != record->size)) loaded = false;
  } else {
    // A stored document is read in place; a writer that left its size out is read to the end.
    auto bytes = file.subspan(record->offset);
    if (record->size != 0) bytes = bytes.first(zp::kDocumentHeaderSize + record->size);
    loaded = zp::LoadDocumentArchive(bytes, model, options);
  }
  if (!loaded) {
    // Whatever was passed on before the damage stays passed on; the caller says what it has.
    if (error.empty()) error = "the document is damaged or cut short";
    return std::nullopt;
  }
  return model;
}

bool CopyRecordPayload(std::span<const uint8_t> file, const RecordInfo& record, zp::ByteSink& to) {
  if (record.cutOff) return false;
  const auto payload = Payload(file, record);
  if (!record.compressed) return payload.size() == record.size && to.Write(payload);
  InflatingSource source(payload);
  std::vector<uint8_t> chunk(kCopyChunk);
  for (;;) {
    const size_t got = source.Read(chunk);
    if (got == 0) break;
    if (source.total() > record.size || !to.Write(std::span<const uint8_t>(chunk).first(got))) return false;
  }
  return source.ended() && source.total() == record.size;
}

std::optional<zp::DocumentModel> ReadDocumentWithFiles(const fs::path& package) {
  const auto bytes = ReadWholeFile(package);
  if (!bytes) return std::nullopt;
  zp::DocumentLoadOptions options;
  options.keepFileBytes = true;
  std::string error;
  return ReadDocument(*bytes, ListRecords(*bytes), options, error);
}

}  // namespace zentra
