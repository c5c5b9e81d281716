#include "package/projector_document.h"

#include "core/document/directory_file_sink.h"
#include "core/package_reader.h"
#include "core/temp_files.h"
#include "package/message_pump.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp {

namespace {

constexpr int kMessagesPerPump = 1000;
// Smaller files carry no package at all.
constexpr size_t kSmallestProgramFile = 10;

// Writes into the temporary directory and keeps the window responsive between items.
class PumpingFileSink : public DirectoryFileSink {
 public:
  using DirectoryFileSink::DirectoryFileSink;
  void BeforeItem(size_t) override { PumpPendingMessages(kMessagesPerPump); }
};

}  // namespace

ProjectorDocument::ProjectorDocument() : temporaryDirectory_(ToWide(CreateTemporaryDirectory())) {}

ProjectorDocument::~ProjectorDocument() {
  ReleaseImages();
  RemoveTemporaryDirectory(FromWide(temporaryDirectory_));
}

bool ProjectorDocument::Load(const std::wstring& path, size_t offset) {
  Reset();
  bool loaded = false;
  {
    // A compressed document is inflated into memory and read there: writing it into a
    // temporary file first and mapping that again cost a large presentation a good part of its
    // start-up. A stored one is read in place from the mapped program file.
    platform::MappedFile file;
    if (file.Map(FromWide(path)) >= kSmallestProgramFile && offset < file.size()) {
      PumpingFileSink sink(FromWide(temporaryDirectory_));
      DocumentLoadOptions options;
      options.sink = &sink;
      const std::span<const uint8_t> record = file.bytes().subspan(offset);
      if (const auto inflated = InflateDocumentRecord(record)) {
        file.Release();
        loaded = LoadDocumentArchive(*inflated, *this, options);
      } else {
        loaded = LoadDocumentArchive(record, *this, options);
      }
    }
  }
  if (!loaded) {
    Reset();
    return false;
  }
  DeriveImages();
  return true;
}

void ProjectorDocument::Reset() {
  ReleaseImages();
  DocumentModel::Reset();
}

void ProjectorDocument::DeriveImages() {
  if (appearanceOptions.icon.written) icon_ = LoadSmallIcon(ToWide(appearanceOptions.icon.path));
  if (menuAboutOptions.logo.written) logo_ = LoadPictureBitmap(ToWide(menuAboutOptions.logo.path));
  if (overlayPanelOptions.picture.written) {
    panelPicture_ = LoadPictureBitmap(ToWide(overlayPanelOptions.picture.path));
  }
  region_ = RegionFromData(appearanceOptions.region);
  panelFont_ = FontFromLogFont(overlayPanelOptions.font);
}

void ProjectorDocument::ReleaseImages() {
  icon_.reset();
  logo_.reset();
  panelPicture_.reset();
  region_.reset();
  panelFont_.reset();
}

}  // namespace zp
