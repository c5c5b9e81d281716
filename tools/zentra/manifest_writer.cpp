// A document back in manifest form: only what differs from the defaults, with the same names
// and values the reader accepts.
#include "core/colour.h"
#include "core/document/document_archive.h"
#include "manifest.h"
#include "manifest_fields.h"

namespace zentra {

using json = nlohmann::json;

namespace {

json IntValue(const FieldSpec& field, int32_t value) {
  switch (field.type) {
    case FieldType::kBool:
      if (value == 0 || value == 1) return value == 1;
      return value;
    case FieldType::kChoice:
      for (const Choice& choice : field.choices) {
        if (choice.value == value) return choice.name;
      }
      return value;
    case FieldType::kColorRgb:
    case FieldType::kColorRef: {
      if (value < 0 || value > 0xFFFFFF) return value;
      uint32_t rgb = static_cast<uint32_t>(value);
      if (field.type == FieldType::kColorRef) rgb = zp::SwapRedBlue(rgb);
      char text[8];
      std::snprintf(text, sizeof text, "#%06X", rgb);
      return text;
    }
    default:
      return value;
  }
}

int32_t Get32(const std::vector<uint8_t>& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
  return static_cast<int32_t>(value);
}

// A font as the readable object when that object gives back exactly these bytes, else raw.
json FontValue(const std::vector<uint8_t>& font) {
  if (font.empty()) return nullptr;
  json raw = {{"data", Hex(font)}};
  if (font.size() != zp::kLogFontSize) return raw;
  std::u16string face;
  for (size_t i = 0; i < 32; ++i) {
    const char16_t unit = static_cast<char16_t>(font[28 + 2 * i] | (font[29 + 2 * i] << 8));
    if (unit == 0) break;
    face += unit;
  }
  json object = {{"face", Utf8(face)}, {"height", Get32(font, 0)}, {"weight", Get32(font, 16)}};
  if (font[20] != 0) object["italic"] = true;
  if (font[21] != 0) object["underline"] = true;
  if (font[22] != 0) object["strikeOut"] = true;
  if (font[23] != 1) object["charset"] = font[23];
  // Rebuild the bytes the reader would make from this object and compare.
  std::vector<uint8_t> rebuilt(zp::kLogFontSize, 0);
  std::copy(font.begin(), font.begin() + 4, rebuilt.begin());
  std::copy(font.begin() + 16, font.begin() + 20, rebuilt.begin() + 16);
  rebuilt[20] = font[20] != 0;
  rebuilt[21] = font[21] != 0;
  rebuilt[22] = font[22] != 0;
  rebuilt[23] = font[23];
  for (size_t i = 0; i < face.size(); ++i) {
    rebuilt[28 + 2 * i] = static_cast<uint8_t>(face[i] & 0xFF);
    rebuilt[29 + 2 * i] = static_cast<uint8_t>(face[i] >> 8);
  }
  return rebuilt == font && face.size() <= 31 ? object : raw;
}

// A section with only its shorthand key reads best as the plain value.
void Shorten(json& options) {
  for (auto& [section, value] : options.items()) {
    const char* key = ShorthandKey(section);
    if (key == nullptr || !value.is_object() || value.size() != 1 || !value.contains(key) || !value[key].is_string()) {
      continue;
    }
    if (section == "shape") continue;
    value = value[key];
  }
  if (options.contains("shape")) {
    json& shape = options["shape"];
    if (shape.size() == 2 && shape.value("mode", json()) == "predefined" && shape["kind"].is_string()) {
      shape = shape["kind"];
    } else if (shape.size() == 1 && shape.value("mode", json()) == "predefined") {
      shape = "diamond";  // kind 0 is the default
    }
  }
}

}  // namespace

json OptionsToJson(const zp::DocumentModel& document, const FileEmitter& emitFile, const DataEmitter& emitData) {
  // The field table hands out writable references; here they are only read, and they must
  // point into `document` itself, where emitters may recognise the embedded files.
  zp::DocumentModel& current = const_cast<zp::DocumentModel&>(document);
  zp::DocumentModel defaults;
  json options = json::object();
  for (const FieldSpec& field : ManifestFields()) {
    const FieldRef value = field.access(current);
    const FieldRef fallback = field.access(defaults);
    const std::string role = std::string(field.section) + "." + field.key;
    json out;
    switch (field.type) {
      case FieldType::kString: {
        const std::u16string& text = *std::get<std::u16string*>(value);
        if (role == "sound.path") {
          const auto& sound = document.backgroundSound;
          const std::u16string implied = sound.hasFile != 0 ? sound.file.path : std::u16string();
          if (text != implied) out = Utf8(text);
        } else if (text != *std::get<std::u16string*>(fallback)) {
          out = Utf8(text);
        }
        break;
      }
      case FieldType::kFile: {
        const zp::EmbeddedFile& file = *std::get<zp::EmbeddedFile*>(value);
        if (role == "sound.file" && document.backgroundSound.hasFile == 0) break;
        out = emitFile(file, role);  // null when the document carries nothing there
        break;
      }
      case FieldType::kDataFile: {
        const auto& bytes = *std::get<std::vector<uint8_t>*>(value);
        if (!bytes.empty()) out = emitData(bytes, role);
        break;
      }
      case FieldType::kFont: {
        const auto& bytes = *std::get<std::vector<uint8_t>*>(value);
        if (bytes == *std::get<std::vector<uint8_t>*>(fallback)) continue;
        options[field.section][field.key] = FontValue(bytes);  // null: no font
        continue;
      }
      default: {
        const int32_t number = *std::get<int32_t*>(value);
        if (number != *std::get<int32_t*>(fallback)) out = IntValue(field, number);
        break;
      }
    }
    if (!out.is_null()) options[field.section][field.key] = out;
  }
  Shorten(options);
  return options;
}

json ItemsToJson(const zp::DocumentModel& document, const FileEmitter& emitFile) {
  json items = json::array();
  for (size_t i = 0; i < document.movieList.items.size(); ++i) {
    const zp::MovieItem& item = document.movieList.items[i];
    const std::string where = "items[" + std::to_string(i) + "]";
    json entry = emitFile(item.file, where);
    if (item.path != item.file.path) entry["path"] = Utf8(item.path);
    entry["playTime"] = item.playTime;
    json linked = json::array();
    std::u16string impliedLinks;
    for (size_t j = 0; j < item.linked.size(); ++j) {
      const zp::LinkedFile& file = item.linked[j];
      json link = file.embedded != 0 ? emitFile(file.file, where + ".linked[" + std::to_string(j) + "]")
                                     : json {{"path", Utf8(file.path)}};
      link["name"] = Utf8(file.name);
      linked.push_back(link);
      impliedLinks += (impliedLinks.empty() ? u"" : u"|") + (u"|||" + file.name);
    }
    if (!linked.empty()) entry["linked"] = linked;
    if (item.links != impliedLinks) entry["links"] = Utf8(item.links);
    items.push_back(entry);
  }
  return items;
}

}  // namespace zentra
