// A manifest: the JSON file (comments allowed) that describes a presentation to pack. Reading
// turns it into the document and the list of extra package files; writing turns a document
// back into a manifest (extract) or into the summary that inspect prints.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/document/document_model.h"

namespace zentra {

namespace fs = std::filesystem;

// One optional file of the package (resource library, installer, transparency control).
struct PackagePart {
  enum class Mode { kDefault, kOff, kRequired, kFile };
  Mode mode = Mode::kDefault;  // default: put in when present beside the stub, silently otherwise
  fs::path file;               // for kFile
};

struct PackageOptions {
  PackagePart resourceLibrary;
  PackagePart installer;
  PackagePart transparencyControl;
  PackagePart extensionLibraryDefault;   // ZentraFSCmd.dll beside the stub
  std::vector<fs::path> extensionLibraries;  // named in the manifest
  bool compress = true;
  fs::path folder;  // where parts left at their default are looked for before beside the stub
};

// A file the manifest makes the packer read, and the field that names it.
struct ManifestInput {
  fs::path path;
  std::string field;
};

struct Manifest {
  zp::DocumentModel document;  // embedded files name their `source`; their bytes stay on disk
  PackageOptions package;
  std::vector<std::string> warnings;
  std::vector<ManifestInput> inputs;
};

// Reads a manifest; relative paths in it are relative to `baseDirectory`. On failure `error`
// says what is wrong and where (the field, the file, the allowed values).
bool ParseManifest(const std::string& text, const fs::path& baseDirectory, Manifest& manifest, std::string& error);
bool ReadManifestFile(const fs::path& path, Manifest& manifest, std::string& error);

// How a written manifest refers to an embedded file: extract writes the bytes and returns the
// manifest value; inspect returns a summary. For an option (not an item) an emitter returns
// null when the document carries no file there.
using FileEmitter = std::function<nlohmann::json(const zp::EmbeddedFile& file, const std::string& role)>;
using DataEmitter = std::function<nlohmann::json(const std::vector<uint8_t>& bytes, const std::string& role)>;

// The options of the document that differ from their defaults, in manifest form.
nlohmann::json OptionsToJson(const zp::DocumentModel& document, const FileEmitter& emitFile,
                             const DataEmitter& emitData);
// The items in manifest form (with "file" values from `emitFile`).
nlohmann::json ItemsToJson(const zp::DocumentModel& document, const FileEmitter& emitFile);

std::string Utf8(std::u16string_view text);
inline std::string PathText(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}
inline fs::path PathFromText(const std::string& text) { return fs::path(std::u8string(text.begin(), text.end())); }
std::u16string Utf16(std::string_view text);
std::string Hex(const std::vector<uint8_t>& bytes);

}  // namespace zentra
