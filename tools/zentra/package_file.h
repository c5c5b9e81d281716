// Packages on disk: building one from a stub and a manifest, streaming every file through, and
// reading one back (its records from their headers, its document in pieces) for inspect and
// extract.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/document/document_archive.h"
#include "core/document/document_model.h"
#include "core/package_format.h"
#include "file_io.h"
#include "manifest.h"

namespace zentra {

namespace fs = std::filesystem;

inline constexpr const char* kResourceLibraryName = "CommonResources.dll";
inline constexpr const char* kExtensionLibraryName = "ZentraFSCmd.dll";
inline constexpr const char* kInstallerName = "InstallFlashPlayer.exe";
inline constexpr const char* kTransparencyControlName = "Fernwik.ocx";

struct BuildOptions {
  bool showProgress = false;  // a progress line on `err` for long work
};

// Writes stub + package. Parts left at their default come from the manifest's package folder
// or from beside the stub when they are there; parts the manifest asks for must exist.
// `warnings` gets what the user should know (a part the document needs that is missing).
bool BuildPackage(const Manifest& manifest, const fs::path& stub, const fs::path& output, std::ostream& err,
                  const BuildOptions& options, std::vector<std::string>& warnings, std::string& error);

struct RecordInfo {
  enum class Kind { kDocument, kResourceLibrary, kExtensionLibrary, kInstaller, kTransparencyControl };
  Kind kind;
  std::string tag;
  size_t offset = 0;
  bool compressed = false;
  uint32_t storedSize = 0;  // bytes of payload in the file
  uint32_t size = 0;        // bytes after inflation
  uint32_t version = 0;     // document format version or file header version
  std::string fileName;     // file records
  bool cutOff = false;      // the file ends inside the record's header or payload
};

const char* KindName(RecordInfo::Kind kind);
// "the document record at 1234" and the like, for messages.
std::string Describe(const RecordInfo& record);

// The package's records in file order, found by their tags and read from their headers only.
std::vector<RecordInfo> ListRecords(std::span<const uint8_t> file);

// Reads the document of the package in `file` (its first document record), passing its files
// to `options` in pieces and never holding the whole document. Nothing, with `error` saying
// why, when there is no document or it is damaged or cut off.
std::optional<zp::DocumentModel> ReadDocument(std::span<const uint8_t> file, const std::vector<RecordInfo>& records,
                                              const zp::DocumentLoadOptions& options, std::string& error);

// The payload of a file record (inflated when compressed) passed on in pieces; false when it
// is damaged or cut off.
bool CopyRecordPayload(std::span<const uint8_t> file, const RecordInfo& record, zp::ByteSink& to);

// The whole document with every file's bytes, for tests.
std::optional<zp::DocumentModel> ReadDocumentWithFiles(const fs::path& package);

}  // namespace zentra
