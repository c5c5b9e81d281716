#include "commands.h"

#include <iomanip>
#include <map>
#include <memory>
#include <ostream>
#include <set>

#include "core/text.h"
#include "file_io.h"
#include "manifest.h"
#include "package_file.h"
#include "platform/platform.h"

namespace zentra {

using json = nlohmann::json;

namespace {

constexpr int kDone = 0;
constexpr int kProblem = 2;

const char* KindOfItem(const std::u16string& path) {
  switch (zp::KindOfPath(path)) {
    case zp::MovieKind::kFlash: return "movie";
    case zp::MovieKind::kPicture: return "picture";
    case zp::MovieKind::kWebPage: return "web-page";
    case zp::MovieKind::kUnplayable: return "not-played";
  }
  return "?";
}

bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code code;
  return fs::exists(a, code) && fs::exists(b, code) && fs::equivalent(a, b, code);
}

bool IsOption(const std::string& role) { return role.rfind("items", 0) != 0; }

// A package file mapped for reading; `problem` says why not.
struct MappedPackage {
  zp::platform::MappedFile mapping;
  std::span<const uint8_t> bytes;
  std::string problem;

  explicit MappedPackage(const fs::path& path) {
    problem = NotAReadableFile(path);
    if (!problem.empty()) return;
    std::error_code code;
    if (fs::file_size(path, code) == 0) return;  // empty: no package, nothing to map
    if (mapping.Map(zp::Utf8ToU16(PathText(path))) == 0) {
      problem = "cannot read " + PathText(path) + ": it cannot be mapped";
      return;
    }
    bytes = mapping.bytes();
  }
};

// Numbers the model's files in archive order, as the loader's visitor saw them.
std::map<const zp::EmbeddedFile*, size_t> OrdinalsOf(const zp::DocumentModel& model) {
  std::map<const zp::EmbeddedFile*, size_t> ordinals;
  zp::ForEachEmbeddedFile(model, model.version, [&](const zp::EmbeddedFile& file) {
    ordinals.emplace(&file, ordinals.size());
  });
  return ordinals;
}

class SizeVisitor : public zp::EmbeddedFileVisitor {
 public:
  void Begin(size_t, std::u16string_view, uint32_t size) override { sizes.push_back(size); }
  void Piece(std::span<const uint8_t>) override {}
  void End(bool) override {}
  std::vector<uint32_t> sizes;
};

json RecordToJson(const RecordInfo& record) {
  json out = {{"kind", KindName(record.kind)}, {"tag", record.tag},           {"offset", record.offset},
              {"compressed", record.compressed}, {"storedSize", record.storedSize}, {"size", record.size}};
  if (record.kind == RecordInfo::Kind::kDocument) {
    out["version"] = record.version;
  } else {
    out["fileName"] = record.fileName;
  }
  if (record.cutOff) out["cutOff"] = true;
  return out;
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

void PrintDocument(const json& document, std::ostream& out) {
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
}

// A file name for an extracted copy: the stored path's own name, made safe and unique.
class ExtractNames {
 public:
  std::string Next(const std::u16string& storedPath, const std::string& fallback) {
    const size_t slash = storedPath.find_last_of(u"\\/");
    std::string name = Utf8(storedPath.substr(slash == std::u16string::npos ? 0 : slash + 1));
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

// Writes each file of the document into DIR/files/ as it streams out of the package.
class ExtractingVisitor : public zp::EmbeddedFileVisitor {
 public:
  struct Entry {
    std::string relative;  // empty: nothing was written
    bool complete = false;
  };

  ExtractingVisitor(const fs::path& directory, ExtractNames& names) : directory_(directory), names_(names) {}

  void Begin(size_t ordinal, std::u16string_view storedPath, uint32_t size) override {
    entries.resize(ordinal + 1);
    out_.reset();
    if (storedPath.empty() && size == 0) return;
    Entry& entry = entries[ordinal];
    entry.relative = "files/" + names_.Next(std::u16string(storedPath), "file" + std::to_string(ordinal + 1));
    out_ = std::make_unique<OutputFile>();
    if (!out_->Open(directory_ / PathFromText(entry.relative), problem_)) Failed();
  }
  void Piece(std::span<const uint8_t> bytes) override {
    if (out_ && !out_->Write(bytes, problem_)) Failed();
  }
  void End(bool complete) override {
    if (!out_) return;
    if (!complete) {
      leftOut.push_back(entries.back().relative + " (cut off)");
    } else if (out_->Commit(problem_)) {
      entries.back().complete = true;
    } else {
      Failed();
    }
    out_.reset();
  }

  std::vector<Entry> entries;
  std::vector<std::string> leftOut;
  std::vector<std::string> errors;

 private:
  void Failed() {
    errors.push_back(problem_);
    out_.reset();
  }

  fs::path directory_;
  ExtractNames& names_;
  std::unique_ptr<OutputFile> out_;
  std::string problem_;
};

bool IsEmptyFolder(const fs::path& directory) {
  std::error_code code;
  return !fs::exists(directory, code) || (fs::is_directory(directory, code) && fs::is_empty(directory, code));
}

}  // namespace

int Pack(const fs::path& manifestPath, const fs::path& output, const fs::path& stub, std::ostream& out,
         std::ostream& err, const CommandOptions& options) {
  Manifest manifest;
  std::string error;
  if (!ReadManifestFile(manifestPath, manifest, error)) {
    err << "zentra: " << error << "\n";
    return kProblem;
  }
  // Writing the package over one of its own inputs would lose that input.
  std::string clash;
  if (SameFile(output, manifestPath)) clash = "the manifest";
  if (SameFile(output, stub)) clash = "the stub";
  for (const ManifestInput& input : manifest.inputs) {
    if (clash.empty() && SameFile(output, input.path)) clash = "the file the manifest names at " + input.field;
  }
  if (!clash.empty()) {
    err << "zentra: -o " << PathText(output) << " is " << clash << "; packing would overwrite it. Choose another "
        << "output file\n";
    return kProblem;
  }
  std::error_code code;
  if (fs::is_directory(output, code)) {
    err << "zentra: cannot write " << PathText(output) << ": it is a folder; give the program's file name\n";
    return kProblem;
  }
  for (const std::string& warning : manifest.warnings) err << "zentra: warning: " << warning << "\n";
  std::vector<std::string> warnings;
  BuildOptions build;
  build.showProgress = options.showProgress;
  const bool built = BuildPackage(manifest, stub, output, err, build, warnings, error);
  for (const std::string& warning : warnings) err << "zentra: warning: " << warning << "\n";
  if (!built) {
    err << "zentra: " << error << "\n";
    return kProblem;
  }
  out << "packed " << manifest.document.movieList.items.size() << " item(s) into " << PathText(output) << "\n";
  return kDone;
}

int Inspect(const fs::path& path, bool asJson, std::ostream& out, std::ostream& err) {
  const MappedPackage file(path);
  if (!file.problem.empty()) {
    err << "zentra: " << file.problem << "\n";
    return kProblem;
  }
  const std::vector<RecordInfo> records = ListRecords(file.bytes);
  json recordList = json::array();
  for (const RecordInfo& record : records) recordList.push_back(RecordToJson(record));
  json summary = {{"file", PathText(path)}, {"size", file.bytes.size()}, {"records", recordList}};

  SizeVisitor sizes;
  zp::DocumentLoadOptions load;
  load.visitor = &sizes;
  std::string documentError;
  const auto document = ReadDocument(file.bytes, records, load, documentError);
  if (document) {
    const auto ordinals = OrdinalsOf(*document);
    const FileEmitter emitFile = [&](const zp::EmbeddedFile& embedded, const std::string& role) -> json {
      const auto ordinal = ordinals.find(&embedded);
      const uint32_t size = ordinal == ordinals.end() ? 0 : sizes.sizes.at(ordinal->second);
      if (IsOption(role) && embedded.path.empty() && size == 0) return nullptr;
      return {{"storedPath", Utf8(embedded.path)}, {"size", size}};
    };
    const DataEmitter emitData = [](const std::vector<uint8_t>& bytes, const std::string&) -> json {
      return {{"size", bytes.size()}};
    };
    json items = ItemsToJson(*document, emitFile);
    for (size_t i = 0; i < items.size(); ++i) items[i]["kind"] = KindOfItem(document->movieList.items[i].file.path);
    summary["document"] = {{"version", document->version},
                           {"items", items},
                           {"options", OptionsToJson(*document, emitFile, emitData)}};
  } else {
    summary["documentError"] = documentError;
  }
  std::vector<std::string> cutOff;
  for (const RecordInfo& record : records) {
    if (record.cutOff) cutOff.push_back(Describe(record) + " is cut off: the file ends inside it");
  }
  const bool whole = document && cutOff.empty();
  if (asJson) {
    out << summary.dump(2) << "\n";
  } else {
    out << PathText(path) << ": " << file.bytes.size() << " bytes\n";
    out << "records:\n";
    if (records.empty()) out << "  (none: this file carries no package)\n";
    for (const RecordInfo& record : records) {
      out << "  at " << std::setw(10) << record.offset << "  " << std::left << std::setw(21)
          << KindName(record.kind) << std::right;
      out << (record.kind == RecordInfo::Kind::kDocument ? "version " + std::to_string(record.version)
                                                          : record.fileName);
      out << "  " << (record.compressed ? "compressed " + std::to_string(record.storedSize) + " -> " : "stored ")
          << record.size << " bytes" << (record.cutOff ? "  CUT OFF" : "") << "\n";
    }
    if (document) PrintDocument(summary["document"], out);
  }
  for (const std::string& line : cutOff) err << "zentra: " << line << "\n";
  if (!document && documentError.find("cut off") == std::string::npos) err << "zentra: " << documentError << "\n";
  return whole ? kDone : kProblem;
}

int Extract(const fs::path& path, const fs::path& directory, std::ostream& out, std::ostream& err,
            const CommandOptions& options) {
  const MappedPackage file(path);
  if (!file.problem.empty()) {
    err << "zentra: " << file.problem << "\n";
    return kProblem;
  }
  std::error_code code;
  if (fs::exists(directory, code) && !fs::is_directory(directory, code)) {
    err << "zentra: -d " << PathText(directory) << " is a file, not a folder\n";
    return kProblem;
  }
  if (!IsEmptyFolder(directory) && !options.force) {
    err << "zentra: " << PathText(directory) << " is not empty; extract into a new or empty folder, or add --force "
        << "to write into it (files of the same names are replaced)\n";
    return kProblem;
  }
  const std::vector<RecordInfo> records = ListRecords(file.bytes);
  if (records.empty()) {
    err << "zentra: " << PathText(path) << " carries no package\n";
    return kProblem;
  }
  for (const char* folder : {"files", "package"}) {
    fs::create_directories(directory / folder, code);
    if (code) {
      err << "zentra: cannot create " << PathText(directory / folder) << ": " << code.message() << "\n";
      return kProblem;
    }
  }
  ExtractNames names;
  ExtractingVisitor visitor(directory, names);
  zp::DocumentLoadOptions load;
  load.visitor = &visitor;
  std::string documentError;
  const auto document = ReadDocument(file.bytes, records, load, documentError);
  std::vector<std::string> leftOut = visitor.leftOut;
  std::vector<std::string> errors = visitor.errors;
  size_t written = 0;
  for (const auto& entry : visitor.entries) written += entry.complete ? 1 : 0;

  // The package's own files, so that packing the manifest puts the same ones back and nothing
  // else from beside the stub.
  json package = {{"resourceLibrary", false}, {"extensionLibraries", json::array()}, {"installer", false},
                  {"transparencyControl", false}};
  for (const RecordInfo& record : records) {
    if (record.kind == RecordInfo::Kind::kDocument) {
      package["compress"] = record.compressed;
      continue;
    }
    const std::string relative = "package/" + names.Next(Utf16(record.fileName), KindName(record.kind));
    OutputFile target;
    std::string problem;
    if (!target.Open(directory / PathFromText(relative), problem)) {
      errors.push_back(problem);
      continue;
    }
    OutputFileSink sink(target);
    if (!CopyRecordPayload(file.bytes, record, sink)) {
      if (!sink.error.empty()) {
        errors.push_back(sink.error);
      } else {
        leftOut.push_back(Describe(record) + (record.cutOff ? " (cut off)" : " (damaged)"));
      }
      continue;
    }
    if (!target.Commit(problem)) {
      errors.push_back(problem);
      continue;
    }
    ++written;
    switch (record.kind) {
      case RecordInfo::Kind::kResourceLibrary: package["resourceLibrary"] = relative; break;
      case RecordInfo::Kind::kExtensionLibrary: package["extensionLibraries"].push_back(relative); break;
      case RecordInfo::Kind::kInstaller: package["installer"] = relative; break;
      case RecordInfo::Kind::kTransparencyControl: package["transparencyControl"] = relative; break;
      case RecordInfo::Kind::kDocument: break;
    }
  }

  if (document) {
    const auto ordinals = OrdinalsOf(*document);
    const FileEmitter emitFile = [&](const zp::EmbeddedFile& embedded, const std::string& role) -> json {
      const auto ordinal = ordinals.find(&embedded);
      const ExtractingVisitor::Entry* entry =
          ordinal == ordinals.end() ? nullptr : &visitor.entries.at(ordinal->second);
      if (entry == nullptr || entry->relative.empty()) {
        if (IsOption(role)) return nullptr;
        // An item that carries nothing still needs a file for the manifest to name.
        const std::string relative = "files/" + names.Next(embedded.path, role);
        std::string problem;
        if (!WriteWholeFile(directory / PathFromText(relative), std::span<const uint8_t>(), problem)) {
          errors.push_back(problem);
        }
        return {{"file", relative}, {"storedPath", Utf8(embedded.path)}};
      }
      return {{"file", entry->relative}, {"storedPath", Utf8(embedded.path)}};
    };
    const DataEmitter emitData = [&](const std::vector<uint8_t>& bytes, const std::string& role) -> json {
      const std::string relative = "files/" + names.Next(u"", role + ".bin");
      std::string problem;
      if (!WriteWholeFile(directory / PathFromText(relative), bytes, problem)) errors.push_back(problem);
      return relative;
    };
    json manifest = OptionsToJson(*document, emitFile, emitData);
    manifest["items"] = ItemsToJson(*document, emitFile);
    manifest["package"] = package;
    const std::string text = manifest.dump(2) + "\n";
    const fs::path manifestPath = directory / "manifest.json";
    if (fs::exists(manifestPath, code)) err << "zentra: note: replacing " << PathText(manifestPath) << "\n";
    std::string problem;
    if (!WriteWholeFile(manifestPath, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                        problem)) {
      errors.push_back(problem);
    }
  } else {
    leftOut.push_back("the document: " + documentError + "; no manifest.json was written");
  }

  for (const std::string& problem : errors) err << "zentra: " << problem << "\n";
  if (!leftOut.empty()) {
    err << "zentra: the package is damaged or cut short; wrote " << written << " file(s) into "
        << PathText(directory) << " and left out:\n";
    for (const std::string& what : leftOut) err << "  " << what << "\n";
  }
  if (!errors.empty() || !leftOut.empty()) return kProblem;
  out << "extracted " << document->movieList.items.size() << " item(s) and " << written << " file(s) into "
      << PathText(directory) << "\n";
  if (document->version != zp::kNewestDocumentVersion) {
    err << "zentra: note: the document has version " << document->version << "; packing writes version 150\n";
  }
  return kDone;
}

}  // namespace zentra
