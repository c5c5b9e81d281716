// Reading a manifest into a document. Every problem names the field it is in; reading stops at
// the first one.
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

#include "core/colour.h"
#include "core/document/document_model.h"
#include "core/text.h"
#include "manifest.h"
#include "file_io.h"
#include "json_keys.h"
#include "manifest_fields.h"

namespace zentra {

using json = nlohmann::json;

std::string Utf8(std::u16string_view text) { return zp::U16ToUtf8(text); }
std::u16string Utf16(std::string_view text) { return zp::Utf8ToU16(text); }

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string text;
  for (uint8_t b : bytes) {
    text += digits[b >> 4];
    text += digits[b & 15];
  }
  return text;
}

namespace {

// Problems travel up to ParseManifest by this exception only; it never leaves this file.
struct ManifestError {
  std::string message;
};

[[noreturn]] void Fail(const std::string& where, const std::string& what) { throw ManifestError {where + ": " + what}; }

std::string Describe(const json& value) {
  switch (value.type()) {
    case json::value_t::string: return "the text " + value.dump();
    case json::value_t::boolean: return value.get<bool>() ? "true" : "false";
    case json::value_t::null: return "null";
    case json::value_t::object: return "an object";
    case json::value_t::array: return "a list";
    default: return value.dump();
  }
}

std::string UnknownKey(const std::string& where, const std::string& key, const std::vector<std::string>& known) {
  std::string message = "unknown field \"" + key + "\"";
  const std::string closest = ClosestName(key, known);
  if (!closest.empty()) message += "; did you mean \"" + closest + "\"?";
  std::string list;
  for (const std::string& name : known) list += (list.empty() ? "" : ", ") + name;
  message += " (known: " + list + ")";
  return where.empty() ? message : where + ": " + message;
}

int32_t ReadInt(const json& value, const std::string& where) {
  if (value.is_number_integer()) {
    const int64_t number = value.get<int64_t>();
    if (number >= std::numeric_limits<int32_t>::min() && number <= std::numeric_limits<int32_t>::max()) {
      return static_cast<int32_t>(number);
    }
    if (number >= 0 && number <= static_cast<int64_t>(std::numeric_limits<uint32_t>::max())) {
      return static_cast<int32_t>(static_cast<uint32_t>(number));
    }
  }
  Fail(where, "expected a whole number, got " + Describe(value));
}

std::string ReadText(const json& value, const std::string& where) {
  if (!value.is_string()) Fail(where, "expected a text, got " + Describe(value));
  return value.get<std::string>();
}

class Reader {
 public:
  Reader(fs::path base, Manifest& manifest) : base_(std::move(base)), manifest_(manifest) {}

  void Read(const json& root) {
    if (!root.is_object()) Fail("manifest", "expected an object at the top, got " + Describe(root));
    const std::vector<std::string> topKeys = TopLevelKeys();
    for (const auto& [key, value] : root.items()) {
      if (key == "items") {
        ReadItems(value);
      } else if (key == "package") {
        ReadPackage(value);
      } else if (std::find(topKeys.begin(), topKeys.end(), key) != topKeys.end()) {
        ReadSection(key, value);
      } else {
        throw ManifestError {UnknownKey("", key, topKeys)};
      }
    }
    Finish();
  }

 private:
  fs::path Resolve(const std::string& text) const {
    const fs::path path = PathFromText(text);
    return path.is_absolute() ? path : base_ / path;
  }

  // A file that must be there to be read, noted as one of the manifest's inputs.
  fs::path Input(const std::string& text, const std::string& where) {
    const fs::path path = Resolve(text);
    std::error_code error;
    if (!fs::exists(path, error)) Fail(where, "file not found: " + PathText(path));
    if (const std::string problem = NotAReadableFile(path); !problem.empty()) Fail(where, problem);
    manifest_.inputs.push_back({path, where});
    return path;
  }

  // Small files (regions) are read now; large ones are streamed when the package is written.
  std::vector<uint8_t> ReadFileBytes(const std::string& text, const std::string& where) {
    const fs::path path = Input(text, where);
    std::string problem;
    auto bytes = ReadWholeFile(path, problem);
    if (!bytes) Fail(where, problem);
    return std::move(*bytes);
  }

  zp::EmbeddedFile SourceFile(const std::string& text, const std::string& where) {
    const fs::path path = Input(text, where);
    std::error_code error;
    zp::EmbeddedFile file;
    file.sourceSize = fs::file_size(path, error);
    if (error) Fail(where, "cannot read " + PathText(path) + ": " + error.message());
    if (file.sourceSize > std::numeric_limits<uint32_t>::max()) {
      Fail(where, PathText(path) + " is larger than a package can carry (4 GiB)");
    }
    file.source = Utf16(PathText(path));
    return file;
  }

  // A stored path as a Windows program would have written it: backslashes.
  static std::u16string StoredPath(const std::string& text) {
    std::u16string path = Utf16(text);
    std::replace(path.begin(), path.end(), u'/', u'\\');
    return path;
  }

  // "file.ext", {"file": "file.ext", "storedPath": "C:\\..."} or null.
  zp::EmbeddedFile ReadEmbedded(const json& value, const std::string& where) {
    zp::EmbeddedFile file;
    if (value.is_null()) return file;
    std::string name;
    std::optional<std::string> stored;
    if (value.is_string()) {
      name = value.get<std::string>();
    } else if (value.is_object()) {
      for (const auto& [key, part] : value.items()) {
        if (key == "file") {
          name = ReadText(part, where + ".file");
        } else if (key == "storedPath") {
          stored = ReadText(part, where + ".storedPath");
        } else {
          throw ManifestError {UnknownKey(where, key, {"file", "storedPath"})};
        }
      }
      if (name.empty()) Fail(where, "needs \"file\"");
    } else {
      Fail(where, "expected a file name or {\"file\": ..., \"storedPath\": ...}, got " + Describe(value));
    }
    file = SourceFile(name, where);
    file.path = StoredPath(stored ? *stored : name);
    return file;
  }

  int32_t ReadChoice(const FieldSpec& field, const json& value, const std::string& where) {
    if (value.is_number_integer()) return ReadInt(value, where);
    std::string allowed;
    for (const Choice& choice : field.choices) allowed += (allowed.empty() ? "" : ", ") + std::string(choice.name);
    if (value.is_string()) {
      for (const Choice& choice : field.choices) {
        if (value.get<std::string>() == choice.name) return choice.value;
      }
    }
    Fail(where, Describe(value) + " is not allowed; use one of " + allowed + " (or a number)");
  }

  int32_t ReadColor(const json& value, const std::string& where, bool colorRef) {
    if (value.is_number_integer()) return ReadInt(value, where);
    if (value.is_string()) {
      const std::string text = value.get<std::string>();
      if (text.size() == 7 && text[0] == '#' &&
          text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
        const uint32_t rgb = static_cast<uint32_t>(std::stoul(text.substr(1), nullptr, 16));
        return static_cast<int32_t>(colorRef ? zp::SwapRedBlue(rgb) : rgb);
      }
    }
    Fail(where, "expected a colour \"#RRGGBB\" or a number, got " + Describe(value));
  }

  std::vector<uint8_t> ReadFont(const json& value, const std::string& where) {
    if (value.is_null()) return {};
    if (!value.is_object()) Fail(where, "expected a font object or null (no font), got " + Describe(value));
    std::vector<uint8_t> font(zp::kLogFontSize, 0);
    auto put32 = [&font](size_t offset, int32_t number) {
      for (int i = 0; i < 4; ++i) font[offset + i] = static_cast<uint8_t>(static_cast<uint32_t>(number) >> (8 * i));
    };
    put32(16, 400);
    font[23] = 1;
    if (value.contains("data")) {
      if (value.size() != 1) Fail(where, "\"data\" stands alone");
      const std::string hex = ReadText(value["data"], where + ".data");
      if (hex.size() % 2 != 0 || hex.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        Fail(where + ".data", "expected pairs of hexadecimal digits");
      }
      std::vector<uint8_t> bytes;
      for (size_t i = 0; i < hex.size(); i += 2) bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
      return bytes;
    }
    const std::vector<std::string> keys {"face", "height", "points", "weight", "italic", "underline", "strikeOut", "charset", "data"};
    for (const auto& [key, part] : value.items()) {
      const std::string at = where + "." + key;
      if (key == "face") {
        const std::u16string face = Utf16(ReadText(part, at));
        if (face.size() > 31) Fail(at, "at most 31 characters");
        for (size_t i = 0; i < face.size(); ++i) {
          font[28 + 2 * i] = static_cast<uint8_t>(face[i] & 0xFF);
          font[29 + 2 * i] = static_cast<uint8_t>(face[i] >> 8);
        }
      } else if (key == "height") {
        put32(0, ReadInt(part, at));
      } else if (key == "points") {
        put32(0, -static_cast<int32_t>(std::lround(ReadInt(part, at) * 96.0 / 72.0)));
      } else if (key == "weight") {
        put32(16, ReadInt(part, at));
      } else if (key == "italic" || key == "underline" || key == "strikeOut") {
        if (!part.is_boolean()) Fail(at, "expected true or false, got " + Describe(part));
        font[key == "italic" ? 20 : key == "underline" ? 21 : 22] = part.get<bool>() ? 1 : 0;
      } else if (key == "charset") {
        font[23] = static_cast<uint8_t>(ReadInt(part, at));
      } else {
        throw ManifestError {UnknownKey(where, key, keys)};
      }
    }
    return font;
  }

  void ReadField(const FieldSpec& field, const json& value) {
    const std::string where = std::string(field.section) + "." + field.key;
    const FieldRef target = field.access(manifest_.document);
    switch (field.type) {
      case FieldType::kInt:
        *std::get<int32_t*>(target) = ReadInt(value, where);
        break;
      case FieldType::kBool:
        if (value.is_boolean()) {
          *std::get<int32_t*>(target) = value.get<bool>() ? 1 : 0;
        } else if (value.is_number_integer()) {
          *std::get<int32_t*>(target) = ReadInt(value, where);
        } else {
          Fail(where, "expected true or false, got " + Describe(value));
        }
        break;
      case FieldType::kChoice:
        *std::get<int32_t*>(target) = ReadChoice(field, value, where);
        break;
      case FieldType::kColorRgb:
      case FieldType::kColorRef:
        *std::get<int32_t*>(target) = ReadColor(value, where, field.type == FieldType::kColorRef);
        break;
      case FieldType::kString:
        *std::get<std::u16string*>(target) = Utf16(ReadText(value, where));
        break;
      case FieldType::kFile:
        *std::get<zp::EmbeddedFile*>(target) = ReadEmbedded(value, where);
        break;
      case FieldType::kDataFile:
        *std::get<std::vector<uint8_t>*>(target) =
            value.is_null() ? std::vector<uint8_t> {} : ReadFileBytes(ReadText(value, where), where);
        break;
      case FieldType::kFont:
        *std::get<std::vector<uint8_t>*>(target) = ReadFont(value, where);
        break;
    }
  }

  const FieldSpec* Find(const std::string& section, const std::string& key) {
    for (const FieldSpec& field : ManifestFields()) {
      if (field.section == section && field.key == key) return &field;
    }
    return nullptr;
  }

  void ReadSection(const std::string& section, const json& value) {
    if (value.is_string() && ShorthandKey(section) != nullptr) {
      if (section == "shape") {
        ReadShapeShorthand(value.get<std::string>());
        return;
      }
      ReadField(*Find(section, ShorthandKey(section)), value);
      return;
    }
    if (!value.is_object()) {
      Fail(section, std::string("expected an object") + (ShorthandKey(section) ? " or a text" : "") + ", got " +
                        Describe(value));
    }
    for (const auto& [key, part] : value.items()) {
      const FieldSpec* field = Find(section, key);
      if (field == nullptr) throw ManifestError {UnknownKey(section, key, KeysOf(section))};
      ReadField(*field, part);
      if (section == "sound" && key == "path") soundPathGiven_ = true;
    }
  }

  void ReadShapeShorthand(const std::string& name) {
    auto& look = manifest_.document.appearanceOptions;
    if (name == "rectangle") {
      look.shapeMode = 0;
      return;
    }
    if (name == "custom") Fail("shape", "a custom shape needs its region: {\"mode\": \"custom\", \"region\": FILE}");
    look.shapeMode = 1;
    ReadField(*Find("shape", "kind"), name);
  }

  void ReadItems(const json& value) {
    if (!value.is_array()) Fail("items", "expected a list, got " + Describe(value));
    for (size_t i = 0; i < value.size(); ++i) ReadItem(value[i], "items[" + std::to_string(i) + "]");
  }

  void ReadItem(const json& value, const std::string& where) {
    zp::MovieItem item;
    json object = value.is_string() ? json {{"file", value}} : value;
    if (!object.is_object()) Fail(where, "expected a file name or an object, got " + Describe(value));
    if (!object.contains("file")) Fail(where, "needs \"file\"");
    const std::vector<std::string> keys {"file", "storedPath", "path", "playTime", "links", "linked"};
    for (const auto& [key, part] : object.items()) {
      if (std::find(keys.begin(), keys.end(), key) == keys.end()) throw ManifestError {UnknownKey(where, key, keys)};
    }
    json fileValue = object["file"];
    if (object.contains("storedPath")) fileValue = json {{"file", object["file"]}, {"storedPath", object["storedPath"]}};
    item.file = ReadEmbedded(fileValue, where + ".file");
    item.path = object.contains("path") ? Utf16(ReadText(object["path"], where + ".path")) : item.file.path;
    if (object.contains("playTime")) {
      const json& time = object["playTime"];
      if (!time.is_number() || time.get<double>() < 0) {
        Fail(where + ".playTime", "expected seconds (a number, 0 or more), got " + Describe(time));
      }
      item.playTime = time.get<float>();
    }
    if (object.contains("linked")) {
      const json& linked = object["linked"];
      if (!linked.is_array()) Fail(where + ".linked", "expected a list, got " + Describe(linked));
      for (size_t i = 0; i < linked.size(); ++i) {
        item.linked.push_back(ReadLinked(linked[i], where + ".linked[" + std::to_string(i) + "]"));
      }
    }
    if (object.contains("links")) {
      item.links = Utf16(ReadText(object["links"], where + ".links"));
    } else {
      // One group of four fields per linked file; only the fourth, the name, means anything.
      std::u16string links;
      for (const zp::LinkedFile& linked : item.linked) links += (links.empty() ? u"" : u"|") + (u"|||" + linked.name);
      item.links = links;
    }
    if (zp::KindOfPath(item.file.path) == zp::MovieKind::kUnplayable) {
      manifest_.warnings.push_back(where + ": \"" + Utf8(item.file.path) +
                                   "\" is not a kind the player plays (swf; jpg, jpeg, bmp, gif, wmf, emf, exif, ico, "
                                   "png, tiff, tif; htm, html); the player will skip it");
    }
    manifest_.document.movieList.items.push_back(std::move(item));
  }

  zp::LinkedFile ReadLinked(const json& value, const std::string& where) {
    if (!value.is_object()) Fail(where, "expected an object, got " + Describe(value));
    const std::vector<std::string> keys {"file", "storedPath", "path", "name", "as"};
    zp::LinkedFile linked;
    for (const auto& [key, part] : value.items()) {
      if (std::find(keys.begin(), keys.end(), key) == keys.end()) throw ManifestError {UnknownKey(where, key, keys)};
    }
    if (value.contains("file") == value.contains("path")) Fail(where, "needs either \"file\" (embedded) or \"path\" (outside)");
    if (value.contains("name") && value.contains("as")) Fail(where, "give \"name\" or \"as\", not both");
    if (value.contains("file")) {
      json fileValue = value["file"];
      if (value.contains("storedPath")) fileValue = json {{"file", value["file"]}, {"storedPath", value["storedPath"]}};
      linked.embedded = 1;
      linked.file = ReadEmbedded(fileValue, where + ".file");
    } else {
      linked.path = Utf16(ReadText(value["path"], where + ".path"));
    }
    if (value.contains("name")) {
      linked.name = Utf16(ReadText(value["name"], where + ".name"));
    } else {
      // The player writes a linked file at the temporary directory plus its name from the first
      // backslash on; "as" is that rest, so the movie finds the file where it looks for it.
      std::string as;
      if (value.contains("as")) {
        as = ReadText(value["as"], where + ".as");
      } else {
        const std::string given = ReadText(value.contains("file") ? value["file"] : value["path"], where);
        as = given.substr(given.find_last_of("\\/") == std::string::npos ? 0 : given.find_last_of("\\/") + 1);
      }
      linked.name = u"files\\" + StoredPath(as);
    }
    return linked;
  }

  PackagePart ReadPart(const json& value, const std::string& where) {
    PackagePart part;
    if (value.is_boolean()) {
      part.mode = value.get<bool>() ? PackagePart::Mode::kRequired : PackagePart::Mode::kOff;
    } else if (value.is_string()) {
      part.mode = PackagePart::Mode::kFile;
      part.file = Input(value.get<std::string>(), where);
    } else {
      Fail(where, "expected true, false or a file name, got " + Describe(value));
    }
    return part;
  }

  void ReadPackage(const json& value) {
    if (!value.is_object()) Fail("package", "expected an object, got " + Describe(value));
    const std::vector<std::string> keys {"resourceLibrary", "extensionLibraries", "installer", "transparencyControl",
                                         "compress", "folder"};
    PackageOptions& package = manifest_.package;
    for (const auto& [key, part] : value.items()) {
      const std::string where = "package." + key;
      if (key == "resourceLibrary") {
        package.resourceLibrary = ReadPart(part, where);
      } else if (key == "installer") {
        package.installer = ReadPart(part, where);
      } else if (key == "transparencyControl") {
        package.transparencyControl = ReadPart(part, where);
      } else if (key == "extensionLibraries") {
        if (part.is_array()) {
          package.extensionLibraryDefault.mode = PackagePart::Mode::kOff;
          for (size_t i = 0; i < part.size(); ++i) {
            const PackagePart library = ReadPart(part[i], where + "[" + std::to_string(i) + "]");
            if (library.mode != PackagePart::Mode::kFile) Fail(where + "[" + std::to_string(i) + "]", "expected a file name");
            package.extensionLibraries.push_back(library.file);
          }
        } else {
          package.extensionLibraryDefault = ReadPart(part, where);
          if (package.extensionLibraryDefault.mode == PackagePart::Mode::kFile) {
            package.extensionLibraries.push_back(package.extensionLibraryDefault.file);
            package.extensionLibraryDefault.mode = PackagePart::Mode::kOff;
          }
        }
      } else if (key == "folder") {
        package.folder = Resolve(ReadText(part, where));
        std::error_code error;
        if (!fs::is_directory(package.folder, error)) Fail(where, "no such folder: " + PathText(package.folder));
      } else if (key == "compress") {
        if (!part.is_boolean()) Fail(where, "expected true or false, got " + Describe(part));
        package.compress = part.get<bool>();
      } else {
        throw ManifestError {UnknownKey("package", key, keys)};
      }
    }
  }

  void Finish() {
    if (manifest_.document.movieList.items.empty()) {
      Fail("items", "the presentation has no items; list at least one file, e.g. \"items\": [\"intro.swf\"]");
    }
    zp::BackgroundSound& sound = manifest_.document.backgroundSound;
    sound.hasFile = sound.file.path.empty() && sound.file.source.empty() ? 0 : 1;
    if (sound.hasFile != 0 && !soundPathGiven_) sound.path = sound.file.path;
  }

  fs::path base_;
  Manifest& manifest_;
  bool soundPathGiven_ = false;
};

}  // namespace

bool ParseManifest(const std::string& text, const fs::path& baseDirectory, Manifest& manifest, std::string& error) {
  manifest = Manifest();
  try {
    const json root = json::parse(text, nullptr, true, /*ignore_comments=*/true);
    if (const auto duplicate = FindDuplicateKey(text)) throw ManifestError {*duplicate};
    Reader(baseDirectory, manifest).Read(root);
    return true;
  } catch (const ManifestError& problem) {
    error = problem.message;
  } catch (const json::parse_error& problem) {
    // The library's message carries the line and column of the fault.
    error = std::string("not valid JSON: ") + problem.what();
  } catch (const std::exception& problem) {
    error = problem.what();
  }
  manifest = Manifest();
  return false;
}

bool ReadManifestFile(const fs::path& path, Manifest& manifest, std::string& error) {
  std::error_code code;
  if (!fs::exists(path, code)) {
    error = "manifest not found: " + PathText(path);
    return false;
  }
  const auto bytes = ReadWholeFile(path, error);
  if (!bytes) return false;
  const std::string text(bytes->begin(), bytes->end());
  if (!ParseManifest(text, fs::absolute(path, code).parent_path(), manifest, error)) {
    error = PathText(path.filename()) + ": " + error;
    return false;
  }
  return true;
}

}  // namespace zentra
