// Packages on disk: building one from a stub and a manifest, and reading one back (its records
// and its document) for inspect and extract.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/document/document_model.h"
#include "core/package_format.h"
#include "manifest.h"

namespace zentra {

namespace fs = std::filesystem;

inline constexpr const char* kResourceLibraryName = "CommonResources.dll";
inline constexpr const char* kExtensionLibraryName = "ZentraFSCmd.dll";
inline constexpr const char* kInstallerName = "InstallFlashPlayer.exe";
inline constexpr const char* kTransparencyControlName = "Fernwik.ocx";

std::optional<std::vector<uint8_t>> ReadWholeFile(const fs::path& path);
bool WriteWholeFile(const fs::path& path, const std::vector<uint8_t>& bytes);

// Writes stub + package. Parts left at their default are taken from beside the stub when they
// are there; parts the manifest asks for must exist. Progress goes to `progress` for packages
// above a few MiB.
bool BuildPackage(const Manifest& manifest, const fs::path& stub, const fs::path& output, std::ostream& progress,
                  std::string& error);

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
};

const char* KindName(RecordInfo::Kind kind);

struct PackageContents {
  std::vector<RecordInfo> records;  // in file order
  std::optional<zp::DocumentModel> document;  // with every file's bytes
  std::string documentError;                  // why there is no document
};

std::optional<PackageContents> ReadPackage(const std::vector<uint8_t>& file);

// The payload of a file record (inflated when compressed), or nothing when it is damaged.
std::optional<std::vector<uint8_t>> RecordPayload(const std::vector<uint8_t>& file, const RecordInfo& record);

}  // namespace zentra
