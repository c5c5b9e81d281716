#include "commands.h"

#include <iomanip>
#include <ostream>
#include <set>

#include "core/text.h"
#include "manifest.h"
#include "package_file.h"

namespace zentra {

using json = nlohmann::json;

namespace {

constexpr int kDone = 0;
constexpr int kUsage = 1;
constexpr int kProblem = 2;

const char* kUsageText =
    "usage:\n"
    "  zentra pack MANIFEST.json -o OUT.exe [--stub PROJECTOR.exe]\n"
    "  zentra inspect FILE [--json]\n"
    "  zentra extract FILE -d DIR\n"
    "The manifest format is described in docs/manifest.md.\n";

const char* KindOfItem(const std::u16string& path) {
  switch (zp::KindOfPath(path)) {
    case zp::MovieKind::kFlash: return "movie";
    case zp::MovieKind::kPicture: return "picture";
    case zp::MovieKind::kWebPage: return "web-page";
    case zp::MovieKind::kUnplayable: return "not-played";
  }
  return "?";
}

json RecordToJson(const RecordInfo& record) {
  json out = {{"kind", KindName(record.kind)}, {"tag", record.tag},           {"offset", record.offset},
              {"compressed", record.compressed}, {"storedSize", record.storedSize}, {"size", record.size}};
  if (record.kind == RecordInfo::Kind::kDocument) {
    out["version"] = record.version;
  } else {
    out["fileName"] = record.fileName;
  }
  return out;
}

json InspectFile(const zp::EmbeddedFile& file, const std::string&) {
  return {{"storedPath", Utf8(file.path)}, {"size", file.data.size()}};
}

json InspectData(const std::vector<uint8_t>& bytes, const std::string&) { return {{"size", bytes.size()}}; }

json DocumentSummary(const zp::DocumentModel& document) {
  json items = ItemsToJson(document, InspectFile);
  for (size_t i = 0; i < items.size(); ++i) items[i]["kind"] = KindOfItem(document.movieList.items[i].file.path);
  return {{"version", document.version},
          {"items", items},
          {"options", OptionsToJson(document, InspectFile, InspectData)}};
}

void PrintOptions(const json& options, const std::string& prefix, std::ostream& out) {
  for (const auto& [key, value] : options.items()) {
    const std::string name = prefix.empty() ? key : prefix + "." + key;
    if (value.is_object() && !value.contains("storedPath") && !value.contains("size") && !value.contains("face") &&
        !value.contains("data")) {
      PrintOptions(value, name, out);
    } else {
      out << "  " << name << " = " << value.dump() << "\n";
    }
  }
}

// A file name for an extracted copy: the stored path's own name, made safe and unique.
class ExtractNames {
 public:
  std::string Next(const std::u16string& storedPath, const std::string& fallback) {
    std::string name = Utf8(storedPath.substr(storedPath.find_last_of(u"\\/") == std::u16string::npos
                                                  ? 0
                                                  : storedPath.find_last_of(u"\\/") + 1));
    for (char& c : name) {
      if (c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
          static_cast<unsigned char>(c) < 0x20) {
        c = '_';
      }
    }
    if (name.empty() || name == "." || name == "..") name = fallback;
    std::string unique = name;
    for (int n = 2; used_.count(Lower(unique)) != 0; ++n) unique = std::to_string(n) + "-" + name;
    used_.insert(Lower(unique));
    return unique;
  }

 private:
  static std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
  std::set<std::string> used_;
};

}  // namespace

int Pack(const fs::path& manifestPath, const fs::path& output, const fs::path& stub, std::ostream& out,
         std::ostream& err) {
  Manifest manifest;
  std::string error;
  if (!ReadManifestFile(manifestPath, manifest, error)) {
    err << "zentra: " << error << "\n";
    return kProblem;
  }
  for (const std::string& warning : manifest.warnings) err << "zentra: warning: " << warning << "\n";
  if (!BuildPackage(manifest, stub, output, err, error)) {
    err << "zentra: " << error << "\n";
    return kProblem;
  }
  out << "packed " << manifest.document.movieList.items.size() << " item(s) into " << PathText(output) << "\n";
  return kDone;
}

int Inspect(const fs::path& path, bool asJson, std::ostream& out, std::ostream& err) {
  const auto file = ReadWholeFile(path);
  if (!file) {
    err << "zentra: cannot read " << PathText(path) << "\n";
    return kProblem;
  }
  const auto contents = ReadPackage(*file);
  json records = json::array();
  for (const RecordInfo& record : contents->records) records.push_back(RecordToJson(record));
  json summary = {{"file", PathText(path)}, {"size", file->size()}, {"records", records}};
  if (contents->document) {
    summary["document"] = DocumentSummary(*contents->document);
  } else {
    summary["documentError"] = contents->documentError;
  }
  if (asJson) {
    out << summary.dump(2) << "\n";
    return contents->document ? kDone : kProblem;
  }

  out << PathText(path) << ": " << file->size() << " bytes\n";
  out << "records:\n";
  if (records.empty()) out << "  (none: this file carries no package)\n";
  for (const RecordInfo& record : contents->records) {
    out << "  at " << std::setw(10) << record.offset << "  " << std::left << std::setw(21) << KindName(record.kind)
        << std::right;
    if (record.kind == RecordInfo::Kind::kDocument) {
      out << "version " << record.version;
    } else {
      out << record.fileName;
    }
    out << "  " << (record.compressed ? "compressed " + std::to_string(record.storedSize) + " -> " : "stored ")
        << record.size << " bytes\n";
  }
  if (!contents->document) {
    err << "zentra: " << contents->documentError << "\n";
    return kProblem;
  }
  const json& document = summary["document"];
  out << "document version " << document["version"].get<uint32_t>() << ", " << document["items"].size()
      << " item(s):\n";
  int index = 1;
  for (const json& item : document["items"]) {
    out << "  " << index++ << ". " << std::left << std::setw(11) << item["kind"].get<std::string>() << std::right
        << std::setw(6) << std::fixed << std::setprecision(1) << item["playTime"].get<double>() << " s  "
        << std::setw(10) << item["size"].get<size_t>() << " bytes  " << item["storedPath"].get<std::string>() << "\n";
    if (item.contains("linked")) {
      for (const json& link : item["linked"]) {
        out << "       linked " << link["name"].get<std::string>()
            << (link.contains("size") ? " (embedded, " + std::to_string(link["size"].get<size_t>()) + " bytes)"
                                      : " (outside: " + link["path"].get<std::string>() + ")")
            << "\n";
      }
    }
  }
  out << "options that differ from the defaults:\n";
  if (document["options"].empty()) out << "  (none)\n";
  PrintOptions(document["options"], "", out);
  return kDone;
}

int Extract(const fs::path& path, const fs::path& directory, std::ostream& out, std::ostream& err) {
  const auto file = ReadWholeFile(path);
  if (!file) {
    err << "zentra: cannot read " << PathText(path) << "\n";
    return kProblem;
  }
  const auto contents = ReadPackage(*file);
  if (!contents->document) {
    err << "zentra: " << PathText(path) << ": " << contents->documentError << "\n";
    return kProblem;
  }
  std::error_code code;
  fs::create_directories(directory / "files", code);
  if (code) {
    err << "zentra: cannot create " << PathText((directory / "files")) << ": " << code.message() << "\n";
    return kProblem;
  }
  ExtractNames names;
  bool failed = false;
  size_t written = 0;
  auto save = [&](const std::string& relative, const std::vector<uint8_t>& bytes) {
    if (!WriteWholeFile(directory / PathFromText(relative), bytes)) {
      err << "zentra: cannot write " << PathText((directory / PathFromText(relative))) << "\n";
      failed = true;
    }
    ++written;
  };
  const FileEmitter emitFile = [&](const zp::EmbeddedFile& embedded, const std::string& role) -> json {
    const std::string relative = "files/" + names.Next(embedded.path, role);
    save(relative, embedded.data);
    return {{"file", relative}, {"storedPath", Utf8(embedded.path)}};
  };
  const DataEmitter emitData = [&](const std::vector<uint8_t>& bytes, const std::string& role) -> json {
    const std::string relative = "files/" + names.Next(u"", role + ".bin");
    save(relative, bytes);
    return relative;
  };
  const zp::DocumentModel& document = *contents->document;
  json manifest = OptionsToJson(document, emitFile, emitData);
  manifest["items"] = ItemsToJson(document, emitFile);

  // The package's own files, so that packing the manifest puts the same ones back and nothing
  // else from beside the stub.
  fs::create_directories(directory / "package", code);
  json package = {{"resourceLibrary", false}, {"extensionLibraries", json::array()}, {"installer", false},
                  {"transparencyControl", false}};
  for (const RecordInfo& record : contents->records) {
    if (record.kind == RecordInfo::Kind::kDocument) {
      package["compress"] = record.compressed;
      continue;
    }
    const auto payload = RecordPayload(*file, record);
    if (!payload) {
      err << "zentra: warning: the record of " << record.fileName << " at " << record.offset
          << " is damaged; left out\n";
      continue;
    }
    const std::string relative = "package/" + names.Next(Utf16(record.fileName), KindName(record.kind));
    save(relative, *payload);
    switch (record.kind) {
      case RecordInfo::Kind::kResourceLibrary: package["resourceLibrary"] = relative; break;
      case RecordInfo::Kind::kExtensionLibrary: package["extensionLibraries"].push_back(relative); break;
      case RecordInfo::Kind::kInstaller: package["installer"] = relative; break;
      case RecordInfo::Kind::kTransparencyControl: package["transparencyControl"] = relative; break;
      case RecordInfo::Kind::kDocument: break;
    }
  }
  manifest["package"] = package;
  const std::string text = manifest.dump(2) + "\n";
  save("manifest.json", std::vector<uint8_t>(text.begin(), text.end()));
  if (failed) return kProblem;
  out << "extracted " << document.movieList.items.size() << " item(s) and " << written - 1 << " file(s) into "
      << PathText(directory) << "\n";
  if (document.version != zp::kNewestDocumentVersion) {
    err << "zentra: note: the document has version " << document.version << "; packing writes version 150\n";
  }
  return kDone;
}

int RunCommandLine(const std::vector<std::string>& args, const fs::path& defaultStub, std::ostream& out,
                   std::ostream& err) {
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    (args.empty() ? err : out) << kUsageText;
    return args.empty() ? kUsage : kDone;
  }
  const std::string& command = args[0];
  std::vector<std::string> positional;
  std::string outputOption, stubOption, directoryOption;
  bool asJson = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    bool ok = true;
    if (arg == "-o" || arg == "--output") {
      ok = value(outputOption);
    } else if (arg == "--stub") {
      ok = value(stubOption);
    } else if (arg == "-d" || arg == "--directory") {
      ok = value(directoryOption);
    } else if (arg == "--json") {
      asJson = true;
    } else if (!arg.empty() && arg[0] == '-') {
      err << "zentra: unknown option " << arg << "\n" << kUsageText;
      return kUsage;
    } else {
      positional.push_back(arg);
    }
    if (!ok) {
      err << "zentra: " << arg << " needs a value\n" << kUsageText;
      return kUsage;
    }
  }
  if (command == "pack" && positional.size() == 1 && !outputOption.empty() && directoryOption.empty() && !asJson) {
    return Pack(PathFromText(positional[0]), PathFromText(outputOption),
                stubOption.empty() ? defaultStub : PathFromText(stubOption), out, err);
  }
  if (command == "inspect" && positional.size() == 1 && outputOption.empty() && stubOption.empty() &&
      directoryOption.empty()) {
    return Inspect(PathFromText(positional[0]), asJson, out, err);
  }
  if (command == "extract" && positional.size() == 1 && !directoryOption.empty() && outputOption.empty() &&
      stubOption.empty() && !asJson) {
    return Extract(PathFromText(positional[0]), PathFromText(directoryOption), out, err);
  }
  if (command != "pack" && command != "inspect" && command != "extract") {
    err << "zentra: unknown command " << command << "\n";
  }
  err << kUsageText;
  return kUsage;
}

}  // namespace zentra
