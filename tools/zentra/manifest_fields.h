// The manifest's names for the document's fields: one table that the packer reads manifests
// with, and that inspect and extract write them back with, so that the three never disagree.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/document/document_model.h"

namespace zentra {

enum class FieldType {
  kInt,       // a number
  kBool,      // true/false (any other number is kept as a number)
  kChoice,    // a name from the field's list (or a number for values without a name)
  kColorRgb,  // "#RRGGBB" stored as 0xRRGGBB
  kColorRef,  // "#RRGGBB" stored as a Windows COLORREF (0x00BBGGRR)
  kString,
  kFile,      // a file to embed (path relative to the manifest)
  kDataFile,  // a file whose bytes become a byte block (no stored path)
  kFont,      // an object describing a LOGFONTW, or null for no font
};

struct Choice {
  const char* name;
  int32_t value;
};

using FieldRef = std::variant<int32_t*, std::u16string*, zp::EmbeddedFile*, std::vector<uint8_t>*>;

struct FieldSpec {
  const char* section;  // the manifest object, e.g. "size"
  const char* key;      // the key inside it, e.g. "mode"
  FieldType type;
  std::vector<Choice> choices;
  FieldRef (*access)(zp::DocumentModel&);
  const char* help;     // one line for docs and error messages
};

const std::vector<FieldSpec>& ManifestFields();

// Sections whose value may be given as a plain string standing for one of their keys
// ("position": "top-left" is "position": {"preset": "top-left"}).
const char* ShorthandKey(std::string_view section);

// Every top-level key a manifest may use: the sections above plus "items" and "package".
std::vector<std::string> TopLevelKeys();
std::vector<std::string> KeysOf(std::string_view section);

// The known name closest to `name` (edit distance), for "did you mean" hints; empty when
// nothing is reasonably close.
std::string ClosestName(std::string_view name, const std::vector<std::string>& known);

}  // namespace zentra
