#include "package_file.h"

#include <algorithm>
#include <fstream>
#include <ostream>

#include "core/document/document_archive.h"
#include "core/package_writer.h"
#include "core/safe_names.h"
#include "core/tag_search.h"
#include "core/text.h"
#include "core/zlib_codec.h"

namespace zentra {

namespace {

constexpr size_t kProgressThreshold = 4u << 20;

struct PartFile {
  const zp::RecordTag* tag;
  fs::path path;
};

std::string MiB(size_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

// Resolves one optional part: from the manifest, or from beside the stub when left at default.
bool ResolvePart(const PackagePart& part, const char* defaultName, const char* field, const fs::path& stubDir,
                 const zp::RecordTag& tag, std::vector<PartFile>& parts, std::string& error) {
  std::error_code code;
  switch (part.mode) {
    case PackagePart::Mode::kOff:
      return true;
    case PackagePart::Mode::kFile:
      parts.push_back({&tag, part.file});
      return true;
    case PackagePart::Mode::kDefault:
    case PackagePart::Mode::kRequired: {
      const fs::path beside = stubDir / defaultName;
      if (fs::is_regular_file(beside, code)) {
        parts.push_back({&tag, beside});
      } else if (part.mode == PackagePart::Mode::kRequired) {
        error = std::string("package.") + field + ": file not found: " + PathText(beside) +
                " (true means the one beside the stub; name another file or use false)";
        return false;
      }
      return true;
    }
  }
  return true;
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteWholeFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

bool BuildPackage(const Manifest& manifest, const fs::path& stub, const fs::path& output, std::ostream& progress,
                  std::string& error) {
  std::error_code code;
  if (!fs::is_regular_file(stub, code)) {
    error = "stub not found: " + PathText(stub) + " (build Projector.exe or name it with --stub)";
    return false;
  }
  if (fs::exists(output, code) && fs::equivalent(stub, output, code)) {
    error = "the output would overwrite the stub: " + PathText(output);
    return false;
  }
  auto stubBytes = ReadWholeFile(stub);
  if (!stubBytes) {
    error = "cannot read the stub: " + PathText(stub);
    return false;
  }
  // The player takes the first document it finds in its file: a stub that already carries
  // one would play that one, not this.
  zp::TagSearcher searcher;
  searcher.SetPattern(zp::kDocumentTag.Text());
  if (searcher.First(stubBytes->data(), stubBytes->size()) != nullptr) {
    error = "the stub already carries a package: " + PathText(stub) + " (use the bare Projector.exe)";
    return false;
  }

  const fs::path stubDir = fs::absolute(stub, code).parent_path();
  const PackageOptions& options = manifest.package;
  std::vector<PartFile> parts;
  if (!ResolvePart(options.resourceLibrary, kResourceLibraryName, "resourceLibrary", stubDir, zp::kResourceLibraryTag,
                   parts, error) ||
      !ResolvePart(options.extensionLibraryDefault, kExtensionLibraryName, "extensionLibraries", stubDir,
                   zp::kFsCommandLibraryTag, parts, error)) {
    return false;
  }
  for (const fs::path& library : options.extensionLibraries) parts.push_back({&zp::kFsCommandLibraryTag, library});
  if (!ResolvePart(options.installer, kInstallerName, "installer", stubDir, zp::kInstallerTag, parts, error) ||
      !ResolvePart(options.transparencyControl, kTransparencyControlName, "transparencyControl", stubDir,
                   zp::kToolsTag, parts, error)) {
    return false;
  }

  const std::vector<uint8_t> archive = zp::WriteDocumentSections(manifest.document, zp::kNewestDocumentVersion);
  const bool large = archive.size() > kProgressThreshold;
  if (large) progress << "zentra: compressing the document (" << MiB(archive.size()) << ")" << std::endl;
  std::vector<uint8_t> package = std::move(*stubBytes);
  const std::vector<uint8_t> document = zp::MakeDocumentRecord(archive, options.compress);
  package.insert(package.end(), document.begin(), document.end());

  for (const PartFile& part : parts) {
    const std::u16string name = zp::Utf8ToU16(PathText(part.path.filename()));
    if (!zp::IsPlainFileName(name) || name.size() >= zp::kFileNameChars) {
      error = "package file name not usable (at most 127 characters, no separators): " + PathText(part.path);
      return false;
    }
    const auto bytes = ReadWholeFile(part.path);
    if (!bytes) {
      error = "cannot read " + PathText(part.path);
      return false;
    }
    if (large) progress << "zentra: adding " << PathText(part.path.filename()) << std::endl;
    const std::vector<uint8_t> record = zp::MakeFileRecord(*part.tag, name, *bytes, options.compress);
    package.insert(package.end(), record.begin(), record.end());
  }
  if (!WriteWholeFile(output, package)) {
    error = "cannot write " + PathText(output);
    return false;
  }
  if (large) progress << "zentra: wrote " << PathText(output) << " (" << MiB(package.size()) << ")" << std::endl;
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

std::optional<std::vector<uint8_t>> RecordPayload(const std::vector<uint8_t>& file, const RecordInfo& record) {
  const std::span<const uint8_t> all(file);
  const size_t headerSize = record.kind == RecordInfo::Kind::kDocument ? zp::kDocumentHeaderSize : zp::kFileHeaderSize;
  if (record.offset > all.size() || all.size() - record.offset < headerSize) return std::nullopt;
  const auto payload = all.subspan(record.offset + headerSize);
  if (record.compressed) {
    return zp::InflateExact(payload.first(std::min<size_t>(payload.size(), record.storedSize)), record.size);
  }
  if (record.size > payload.size()) return std::nullopt;
  return std::vector<uint8_t>(payload.begin(), payload.begin() + record.size);
}

std::optional<PackageContents> ReadPackage(const std::vector<uint8_t>& file) {
  PackageContents contents;
  const struct {
    const zp::RecordTag* tag;
    RecordInfo::Kind kind;
  } kinds[] = {{&zp::kDocumentTag, RecordInfo::Kind::kDocument},
               {&zp::kResourceLibraryTag, RecordInfo::Kind::kResourceLibrary},
               {&zp::kFsCommandLibraryTag, RecordInfo::Kind::kExtensionLibrary},
               {&zp::kInstallerTag, RecordInfo::Kind::kInstaller},
               {&zp::kToolsTag, RecordInfo::Kind::kTransparencyControl}};
  const std::span<const uint8_t> all(file);
  for (const auto& kind : kinds) {
    zp::TagSearcher searcher;
    searcher.SetPattern(kind.tag->Text());
    for (const uint8_t* match = searcher.First(file.data(), file.size()); match != nullptr; match = searcher.Next()) {
      RecordInfo record;
      record.kind = kind.kind;
      record.tag = zp::U16ToUtf8(kind.tag->Text());
      record.offset = static_cast<size_t>(match - file.data());
      const auto bytes = all.subspan(record.offset);
      if (kind.kind == RecordInfo::Kind::kDocument) {
        const auto header = zp::ParseDocumentRecordHeader(bytes);
        if (!header) continue;
        record.compressed = header->compressed != 0;
        record.size = header->inflatedSize;
        record.storedSize = record.compressed ? header->compressedSize : header->inflatedSize;
        record.version = header->version;
      } else {
        const auto header = zp::ParseFileRecordHeader(bytes);
        if (!header || header->version != zp::kFileRecordVersion) continue;  // a chance match in a payload
        record.compressed = header->compressed;
        record.size = header->inflatedSize;
        record.storedSize = header->compressed ? header->compressedSize : header->inflatedSize;
        record.version = header->version;
        record.fileName = zp::U16ToUtf8(header->fileName);
      }
      contents.records.push_back(record);
      if (kind.kind == RecordInfo::Kind::kDocument) break;  // the player reads the first only
    }
  }
  std::sort(contents.records.begin(), contents.records.end(),
            [](const RecordInfo& a, const RecordInfo& b) { return a.offset < b.offset; });

  const auto document = std::find_if(contents.records.begin(), contents.records.end(),
                                     [](const RecordInfo& r) { return r.kind == RecordInfo::Kind::kDocument; });
  if (document == contents.records.end()) {
    contents.documentError = "no document record";
    return contents;
  }
  std::vector<uint8_t> record;
  if (document->compressed) {
    const auto body = RecordPayload(file, *document);
    if (!body) {
      contents.documentError = "the document record does not inflate";
      return contents;
    }
    zp::DocumentRecordHeader header;
    header.tag = zp::kDocumentTag.Text();
    header.version = document->version;
    record = zp::SerializeDocumentRecordHeader(header);
    record.insert(record.end(), body->begin(), body->end());
  } else {
    record.assign(file.begin() + static_cast<ptrdiff_t>(document->offset), file.end());
  }
  zp::DocumentModel model;
  zp::DocumentLoadOptions options;
  options.keepFileBytes = true;
  if (!zp::LoadDocumentArchive(record, model, options)) {
    contents.documentError = document->version > zp::kNewestDocumentVersion
                                 ? "the document's version " + std::to_string(document->version) +
                                       " is newer than 150"
                                 : "the document is damaged or cut short";
    return contents;
  }
  contents.document = std::move(model);
  return contents;
}

}  // namespace zentra
