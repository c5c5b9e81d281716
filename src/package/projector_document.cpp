#include "package/projector_document.h"

#include "core/document/directory_file_sink.h"
#include "core/package_reader.h"
#include "core/temp_files.h"
#include "framework/message_pump.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp {

namespace {

constexpr int kMessagesPerPump = 1000;
// Smaller files carry no package at all.
constexpr size_t kSmallestProgramFile = 10;

// Writes into the temporary directory and keeps the window responsive between items.
class PumpingFileSink : public DeferringFileSink {
 public:
  using DeferringFileSink::DeferringFileSink;
  void BeforeItem(size_t) override { win::PumpPendingMessages(kMessagesPerPump); }
};

}  // namespace

ProjectorDocument::ProjectorDocument() : temporaryDirectory_(ToWide(CreateTemporaryDirectory())) {}

ProjectorDocument::~ProjectorDocument() {
  deferred_.Stop();
  ReleaseImages();
  RemoveTemporaryDirectory(FromWide(temporaryDirectory_));
}

bool ProjectorDocument::Load(const std::wstring& path, size_t offset) {
  Reset();
  bool loaded = false;
  // A stored document is read in place from the mapped program file; a compressed one is
  // inflated as it is read, without holding it, and inflated once more from the start for the
  // files of the later items, written while the window comes up. Either way the mapping stays
  // until those are written.
  if (programFile_.Map(FromWide(path)) >= kSmallestProgramFile && offset < programFile_.size()) {
    PumpingFileSink sink(FromWide(temporaryDirectory_), deferred_);
    DocumentLoadOptions options;
    options.sink = &sink;
    if (auto laterFiles = LoadDocumentRecord(programFile_.bytes().subspan(offset), *this, options)) {
      deferred_.SetSource(std::move(laterFiles));
      loaded = true;
    }
  }
  if (!loaded) {
    Reset();
    return false;
  }
  deferred_.Start();
  DeriveImages();
  return true;
}

void ProjectorDocument::AwaitItemFiles(size_t item) { deferred_.AwaitItem(item); }

void ProjectorDocument::Reset() {
  // Files of an earlier load still being written stop before the bytes they come from go.
  deferred_.Clear();
  programFile_.Release();
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
