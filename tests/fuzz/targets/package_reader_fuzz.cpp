// Runs the whole package reader over arbitrary bytes written as a program file: the document
// search, the document record, and extraction of every file record kind into a scratch folder.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/package_reader.h"
#include "core/temp_files.h"
#include "platform/platform.h"

namespace {

std::u16string Scratch() {
  static const std::u16string dir = zp::CreateTemporaryDirectory();
  static const int cleanup = std::atexit([] { zp::RemoveTemporaryDirectory(dir); });
  (void)cleanup;
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string dir = Scratch();
  const std::u16string program = zp::JoinPath(dir, u"player.exe");
  const std::u16string out = zp::JoinPath(dir, u"out");
  {
    zp::platform::OutputFile file;
    if (!file.Open(program, zp::platform::OutputFile::Mode::kCreateAlways)) return 0;
    file.Write(std::span(data, size));
  }
  zp::CreateDirectoryPath(out);

  if (const auto offset = zp::FindDocumentRecord(program)) {
    if (auto source = zp::ReadDocumentRecord(program, *offset)) {
      zp::platform::MappedFile document;
      document.Map(source->path());
    }
  }
  for (const zp::RecordTag* tag : {&zp::kResourceLibraryTag, &zp::kFsCommandLibraryTag, &zp::kInstallerTag,
                                   &zp::kToolsTag}) {
    zp::ExtractFileRecords(program, *tag, out, true);
  }
  // Whatever was written must be inside the output folder; clear it for the next input.
  for (const auto& entry : zp::platform::ListDirectory(dir)) {
    if (entry.name != u"player.exe" && entry.name != u"out") std::abort();
  }
  zp::RemoveTree(out);
  return 0;
}
