// The document archive reader over arbitrary bytes: as a whole record, and as sections behind a
// valid header. A document that loads must write back and load again to the same bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "core/document/document_archive.h"
#include "core/package_format.h"
#include "core/package_writer.h"
#include "core/text.h"

namespace {

// Checks the linked-name rules without touching the disk.
class MemorySink : public zp::EmbeddedFileSink {
 public:
  std::optional<std::u16string> WriteFile(std::u16string_view storedPath, const zp::FileBytes&) override {
    return u"T:\\" + std::u16string(storedPath.size() % 7, u'f');
  }
  std::optional<std::u16string> WriteLinkedFile(std::u16string_view name, const zp::FileBytes&) override {
    if (name.find(u'\\') == std::u16string_view::npos) return std::nullopt;
    return u"T:\\linked";
  }
};

// The archive in uneven pieces, as an inflater hands it out.
class PieceSource : public zp::ByteSource {
 public:
  explicit PieceSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  size_t Read(std::span<uint8_t> into) override {
    static constexpr size_t kPieces[] = {1, 3, 64, 4096, 7};
    const size_t step = std::min({into.size(), bytes_.size(), kPieces[turn_++ % 5]});
    std::copy(bytes_.begin(), bytes_.begin() + static_cast<ptrdiff_t>(step), into.begin());
    bytes_ = bytes_.subspan(step);
    return step;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t turn_ = 0;
};

// Reading the sections from a stream must agree with reading them in place.
void StreamAgrees(std::span<const uint8_t> record, bool loaded, const zp::DocumentModel& model) {
  const auto header = zp::ParseDocumentRecordHeader(record);
  if (!header || zp::TrimTrailingWhiteSpace(header->tag) != zp::kDocumentTag.Text()) return;
  PieceSource source(record.subspan(zp::kDocumentHeaderSize));
  zp::DocumentModel streamed;
  zp::DocumentLoadOptions keep;
  keep.keepFileBytes = true;
  const bool ok = zp::LoadDocumentSections(source, header->version, streamed, keep);
  if (ok != loaded) std::abort();
  if (ok && zp::WriteDocumentArchive(streamed, streamed.version) != zp::WriteDocumentArchive(model, model.version)) {
    std::abort();
  }
}

void RoundTrip(std::span<const uint8_t> record) {
  zp::DocumentModel model;
  zp::DocumentLoadOptions keep;
  keep.keepFileBytes = true;
  const bool loaded = zp::LoadDocumentArchive(record, model, keep);
  StreamAgrees(record, loaded, model);
  if (!loaded) return;
  if (model.version > zp::kNewestDocumentVersion) std::abort();
  const std::vector<uint8_t> again = zp::WriteDocumentArchive(model, model.version);
  zp::DocumentModel reread;
  // Compared as written bytes: a play time read from the input may be a NaN, which never
  // equals itself, though it survives the round trip bit for bit.
  if (!zp::LoadDocumentArchive(again, reread, keep) || zp::WriteDocumentArchive(reread, reread.version) != again) {
    std::abort();
  }

  MemorySink sink;
  zp::DocumentLoadOptions writing;
  writing.sink = &sink;
  zp::DocumentModel written;
  if (!zp::LoadDocumentArchive(record, written, writing)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  RoundTrip(input);
  // The same bytes as the body of a valid record, with the version taken from the first byte.
  const uint32_t version = size > 0 ? 90 + data[0] % 70 : 150;
  RoundTrip(zp::MakeDocumentRecord(input.subspan(size > 0 ? 1 : 0), false, version));
  return 0;
}
