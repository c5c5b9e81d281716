// Writes a document's embedded files into the player's temporary directory while it loads.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "core/document/deferred_files.h"
#include "core/document/document_archive.h"
#include "platform/platform.h"

namespace zp {

class DirectoryFileSink : public EmbeddedFileSink {
 public:
  explicit DirectoryFileSink(std::u16string directory);

  // A new file named like every unique name of the player ("<hex milliseconds of the day>"
  // and the stored path's extension), created with create-new semantics so that two items of
  // the same file name never share a copy.
  std::optional<std::u16string> WriteFile(std::u16string_view storedPath, const FileBytes& bytes) override;

  // A linked file's name keeps its layout: the directory followed by the name from its first
  // backslash on, with the folders on the way created. A name without a backslash is not
  // written, and neither is one whose rest would leave the directory (a "..", a drive, a
  // root or an empty piece).
  std::optional<std::u16string> WriteLinkedFile(std::u16string_view name, const FileBytes& bytes) override;

  const std::u16string& directory() const { return directory_; }

 protected:
  // Puts the bytes into the file just opened at `path`; false, with the file gone, when they
  // cannot be written whole.
  virtual bool Fill(platform::OutputFile& out, const std::u16string& path, const FileBytes& bytes);

 private:
  std::u16string directory_;
  // The next name to try: unique names written in one burst would otherwise wait for the clock
  // to move on by a millisecond each; counting on from the last one keeps loading fast.
  uint32_t nextMilliseconds_ = 0;
};

// The extension a written copy gets: the stored path's, when it can be part of a file name;
// otherwise none (the unique name then ends in ".tmp").
std::u16string SafeExtensionOf(std::u16string_view storedPath);

// Writes the files of the first movie item, and those after the movie list, at once; the files
// of every other item get their names now and their bytes later, from `deferred`, which the
// caller gives the archive's bytes as their source and starts once the window is on its way.
class DeferringFileSink : public DirectoryFileSink {
 public:
  DeferringFileSink(std::u16string directory, DeferredFiles& deferred)
      : DirectoryFileSink(std::move(directory)), deferred_(deferred) {}
  void ReadingItem(std::optional<size_t> index) override { item_ = index; }
  bool LeavesBytesInArchive() const override { return item_ && *item_ != 0; }

 protected:
  bool Fill(platform::OutputFile& out, const std::u16string& path, const FileBytes& bytes) override;

 private:
  DeferredFiles& deferred_;
  std::optional<size_t> item_;
};

}  // namespace zp
