// The document the player plays: every section of the archive (inherited from DocumentModel,
// so `document.appearanceOptions.showInTaskbar` reads as the archive names it), the temporary
// directory that holds its written files, and the GDI objects derived from them.
//
// One exists per process, inside the application object. Its temporary directory is created
// when it is constructed and removed, with everything in it, when it is destroyed; the
// derived objects are released first, so nothing holds a file open at that moment.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "core/document/deferred_files.h"
#include "core/document/document_model.h"
#include "platform/platform.h"
#include "package/derived_images.h"

namespace zp {

class ProjectorDocument : public DocumentModel {
 public:
  ProjectorDocument();
  ~ProjectorDocument();
  ProjectorDocument(const ProjectorDocument&) = delete;
  ProjectorDocument& operator=(const ProjectorDocument&) = delete;

  // Loads the document record at `offset` of the file (0 = its start; a compressed record is
  // inflated as it is read), writes the embedded files into the temporary directory (those of items
  // after the first on a thread of their own, see AwaitItemFiles), and derives the
  // icon, bitmaps, region and font. Window messages already queued are handled before every
  // 20th item. On failure the document is reset to its defaults.
  bool Load(const std::wstring& path, size_t offset);
  // Every section to its defaults; the derived objects are released. The written files stay
  // until the temporary directory goes.
  void Reset();
  // The files of every item but the first are written after Load returns, while the window
  // comes up: this returns once those of the items up to `item` are there.
  void AwaitItemFiles(size_t item);

  const std::wstring& TemporaryDirectory() const { return temporaryDirectory_; }

  // Set to 1 by the player before loading: the document then never changes the window title.
  int playerMode = 0;

  HICON icon() const { return icon_.get(); }
  HBITMAP logoBitmap() const { return logo_.get(); }
  HBITMAP panelBitmap() const { return panelPicture_.get(); }
  HRGN customRegion() const { return region_.get(); }  // the document keeps ownership
  HFONT panelFont() const { return panelFont_.get(); }

 private:
  void DeriveImages();
  void ReleaseImages();

  std::wstring temporaryDirectory_;
  platform::MappedFile programFile_;
  DeferredFiles deferred_;
  IconHandle icon_;
  BitmapHandle logo_;
  BitmapHandle panelPicture_;
  RegionHandle region_;
  FontHandle panelFont_;
};

}  // namespace zp
