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
    // The source (and the temporary file an inflated record lives in) outlives the mapping,
    // so the file is unmapped before it is deleted.
    const auto source = ReadDocumentRecord(FromWide(path), offset);
    if (source) {
      platform::MappedFile file;
      if (file.Map(source->path()) > source->offset()) {
        PumpingFileSink sink(FromWide(temporaryDirectory_));
        DocumentLoadOptions options;
        options.sink = &sink;
        loaded = LoadDocumentArchive(file.bytes().subspan(source->offset()), *this, options);
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
