// Reads the package appended to a program file: finds records by their tags, gives the
// document record to the document loader, and writes file records out.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/document/deferred_files.h"
#include "core/document/document_archive.h"
#include "core/package_format.h"

namespace zp {

// The offset of the document record in the file, or nothing when the file is unreadable,
// 10 bytes or smaller, or holds no document tag.
std::optional<size_t> FindDocumentRecord(const std::u16string& path);

// Where the document loader reads the document: a file and an offset, with the document
// record's header first. A compressed record is inflated into a temporary file of its own,
// which this object deletes when it goes.
class DocumentSource {
 public:
  DocumentSource(std::u16string path, size_t offset, bool temporary);
  ~DocumentSource();
  DocumentSource(DocumentSource&& other) noexcept;
  DocumentSource& operator=(DocumentSource&&) = delete;
  DocumentSource(const DocumentSource&) = delete;
  DocumentSource& operator=(const DocumentSource&) = delete;

  const std::u16string& path() const { return path_; }
  size_t offset() const { return offset_; }
  bool temporary() const { return temporary_; }

 private:
  std::u16string path_;
  size_t offset_;
  bool temporary_;
};

// Nothing only when the file cannot be mapped, is smaller than 10 bytes, or the offset lies
// outside it. A record that is not compressed, or whose inflation fails, is read in place.
std::optional<DocumentSource> ReadDocumentRecord(const std::u16string& path, size_t offset);

// Loads the document record where it lies in memory (a mapped program file): a stored one is
// read in place, a compressed one inflated as it is read, never held whole. Returns where the
// bytes of the files the sink left in the record can be read later, or nothing, with the model
// reset, when the record does not load (a compressed one must also inflate whole, its size and
// checksum right).
std::unique_ptr<ArchiveBytes> LoadDocumentRecord(std::span<const uint8_t> record, DocumentModel& model,
                                                 const DocumentLoadOptions& options);

// Writes the file record(s) with the tag into the directory under the names their headers give;
// with `all` false only the first is written. Records whose header version is not 100 are
// skipped, and so are those whose name is not a plain file name. A record whose payload
// cannot be inflated, or is cut short, leaves an empty file and does not count.
// True when at least one file was written.
bool ExtractFileRecords(const std::u16string& source, const RecordTag& tag, const std::u16string& directory,
                        bool all);

// Whether the file holds a record with the tag whose header this reader knows.
bool HasFirstFileRecord(const std::u16string& source, const RecordTag& tag);

// Writes the first record with the tag into the directory under the name its header gives and
// returns the written file's path. Nothing when that record is missing, of another header
// version or badly named, or when its payload cannot be written in full; a file begun is
// deleted again.
std::optional<std::u16string> ExtractFirstFileRecord(const std::u16string& source, const RecordTag& tag,
                                                     const std::u16string& directory);

// Writes the first record with the tag to `path`, whatever name its header gives. Fails, leaving
// nothing at `path`, on the same grounds, and when the record's size is `maxSize` or more.
bool ExtractFirstFileRecordTo(const std::u16string& source, const RecordTag& tag, const std::u16string& path,
                              uint32_t maxSize);

}  // namespace zp
