// Reading and writing the document archive: the 148-byte header, then the thirteen sections
// in their fixed order, with the fields each format version carries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/document/archive.h"
#include "core/document/document_model.h"

namespace zp {

// An embedded file's bytes as the loader hands them to a sink: in `bytes`, unless the sink
// chose to leave them in the archive; then `bytes` is empty and they are the `size` bytes at
// `offset`, counted from the start of the archive's sections.
struct FileBytes {
  std::span<const uint8_t> bytes;
  uint64_t offset = 0;
  uint32_t size = 0;
};

// Where the loader puts the files the archive carries. Returning a path means the bytes were
// written there (or will be, see LeavesBytesInArchive) and the path replaces the stored one
// in the document.
class EmbeddedFileSink {
 public:
  virtual ~EmbeddedFileSink() = default;
  // Items, icon, logo, panel picture and sound. `storedPath` gives the extension.
  virtual std::optional<std::u16string> WriteFile(std::u16string_view storedPath, const FileBytes& bytes) = 0;
  // An item's linked file, placed by its name so that the movie finds it where it looks.
  virtual std::optional<std::u16string> WriteLinkedFile(std::u16string_view name, const FileBytes& bytes) = 0;
  // Whether the next file's bytes may stay where they are: a sink that writes them later,
  // from the archive itself, spares an archive that streams in from gathering them.
  virtual bool LeavesBytesInArchive() const { return false; }
  // Called before every 20th item, starting with the first, while items are read.
  virtual void BeforeItem(size_t /*index*/) {}
  // Whose files come next: the movie item with this index, or (nothing) the sections after
  // the movie list.
  virtual void ReadingItem(std::optional<size_t> /*index*/) {}
};

// Sees every embedded file as it is read, in archive order, in pieces (a tool that streams the
// files of a document it does not hold whole). `ordinal` counts the archive's files from 0, in
// the order ForEachEmbeddedFile walks a model.
class EmbeddedFileVisitor {
 public:
  virtual ~EmbeddedFileVisitor() = default;
  virtual void Begin(size_t ordinal, std::u16string_view storedPath, uint32_t size) = 0;
  virtual void Piece(std::span<const uint8_t> bytes) = 0;
  // `complete` is false when the archive ended inside the file.
  virtual void End(bool complete) = 0;
};

struct DocumentLoadOptions {
  EmbeddedFileSink* sink = nullptr;  // nothing is written when null
  bool keepFileBytes = false;        // keep every embedded file's bytes in the model
  EmbeddedFileVisitor* visitor = nullptr;
};

// Fills the model from a document record read in place: the 148-byte header (tag
// "_Zentrapolis__document_", trailing white space ignored; the version at byte 68) and the
// sections after it. A wrong tag, data that ends early, or a version above 150 once
// `AppearanceOptions` is reached fails the load, and the model is reset to its defaults.
// Files written before a failure stay where they were written.
bool LoadDocumentArchive(std::span<const uint8_t> record, DocumentModel& model,
                         const DocumentLoadOptions& options = {});

// The same from the document's sections arriving from a source (no header: `version` is the
// header's), for documents too large to hold. The sink, if any, gets each file whole.
bool LoadDocumentSections(ByteSource& sections, uint32_t version, DocumentModel& model,
                          const DocumentLoadOptions& options = {});

// The sections of the model as the given format version carries them (no header). Embedded
// files are written with the bytes in their `data`.
std::vector<uint8_t> WriteDocumentSections(const DocumentModel& model, uint32_t version = kNewestDocumentVersion);

// Gives the bytes of files whose `source` is named, for the streaming writer.
class EmbeddedFileSource {
 public:
  virtual ~EmbeddedFileSource() = default;
  // Writes exactly `file.sourceSize` bytes to `to`; false on any failure (the source says why).
  virtual bool CopyTo(const EmbeddedFile& file, ByteSink& to) = 0;
};

// The sections passed to `to` as they are made, files from `files` when their source is named
// (else from `data`). False when the sink or the source fails.
bool WriteDocumentSections(const DocumentModel& model, uint32_t version, ByteSink& to, EmbeddedFileSource* files);

// Every embedded file of the model in archive order, as the given version carries them.
void ForEachEmbeddedFile(const DocumentModel& model, uint32_t version,
                         const std::function<void(const EmbeddedFile&)>& visit);

// A whole uncompressed document record: header and sections, readable by LoadDocumentArchive.
std::vector<uint8_t> WriteDocumentArchive(const DocumentModel& model, uint32_t version = kNewestDocumentVersion);

// Replaces, in a link descriptor, the fourth field of every group of four whose fourth field
// equals `name` (without regard to case) by `path`.
std::u16string ReplaceLinkTarget(std::u16string_view links, std::u16string_view name, std::u16string_view path);

}  // namespace zp
