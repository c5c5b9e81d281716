// The packer's manifest reader on arbitrary text: it either reads a manifest or says what is
// wrong, and never throws, crashes or reads past the text. What it reads is written back in
// manifest form, so the writer sees every value the reader lets through.
#include <cstddef>
#include <cstdint>
#include <string>

#include "manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  zentra::Manifest manifest;
  std::string error;
  // Files named by the manifest are looked for in a folder that does not exist.
  if (!zentra::ParseManifest(text, "/nonexistent/zentra-fuzz", manifest, error)) {
    if (error.empty()) __builtin_trap();  // a failure always says why
    return 0;
  }
  const auto emitFile = [](const zp::EmbeddedFile& file, const std::string&) {
    return nlohmann::json(zentra::Utf8(file.path));
  };
  const auto emitData = [](const std::vector<uint8_t>& bytes, const std::string&) { return nlohmann::json(bytes.size()); };
  const nlohmann::json options = zentra::OptionsToJson(manifest.document, emitFile, emitData);
  const nlohmann::json items = zentra::ItemsToJson(manifest.document, emitFile);
  (void)options.dump();
  (void)items.dump();
  return 0;
}
