#include "core/document/document_archive.h"

#include "core/document/archive.h"
#include "core/package_format.h"
#include "core/package_writer.h"
#include "core/text.h"

#include <limits>

namespace zp {

namespace {

// One description of every section serves both directions: the visitor functions below walk a
// section's fields in archive order, and the two "Io" classes either read them from the archive
// or write them, so the version rules exist exactly once.

class ArchiveIn {
 public:
  static constexpr bool kReading = true;

  ArchiveIn(std::span<const uint8_t> bytes, const DocumentLoadOptions& options) : reader_(bytes), options_(options) {}
  ArchiveIn(ByteSource& source, const DocumentLoadOptions& options) : reader_(source), options_(options) {}

  void Int(int32_t& value) { value = reader_.Int32(); }
  void Float(float& value) { value = reader_.Float32(); }
  void Str(std::u16string& text) { text = reader_.String(); }
  void Bytes(std::vector<uint8_t>& bytes) {
    const auto block = reader_.Block();
    bytes.assign(block.begin(), block.end());
  }
  void File(EmbeddedFile& file) {
    ReadFile(file, [&](const FileBytes& bytes) { return options_.sink->WriteFile(file.path, bytes); });
  }
  void LinkedFile(EmbeddedFile& file, std::u16string_view name) {
    ReadFile(file, [&](const FileBytes& bytes) { return options_.sink->WriteLinkedFile(name, bytes); });
  }
  void BeforeItem(size_t index) {
    if (options_.sink == nullptr) return;
    if (index % 20 == 0) options_.sink->BeforeItem(index);
    options_.sink->ReadingItem(index);
  }
  void AfterItems() {
    if (options_.sink != nullptr) options_.sink->ReadingItem(std::nullopt);
  }

  bool ok() const { return !reader_.failed(); }
  void Fail() { reader_.Fail(); }

 private:
  // The stored path and the byte block. The sink gets the bytes whole: straight from the input
  // when it is at hand, gathered from the pieces when the archive streams in; or, when it
  // writes them later itself, only where they lie.
  template <class WriteToSink>
  void ReadFile(EmbeddedFile& file, WriteToSink writeToSink) {
    file = EmbeddedFile();
    file.path = reader_.String();
    const uint32_t size = reader_.Count();
    if (!ok()) return;
    const bool toSink = options_.sink != nullptr && !file.path.empty() && size > 0;
    EmbeddedFileVisitor* visitor = options_.visitor;
    if (visitor != nullptr) visitor->Begin(ordinal_, file.path, size);
    ++ordinal_;
    FileBytes bytes {{}, reader_.offset(), size};
    const bool leftInArchive =
        toSink && visitor == nullptr && !options_.keepFileBytes && options_.sink->LeavesBytesInArchive();
    std::vector<uint8_t> gathered;
    if (leftInArchive) {
      reader_.Skip(size);
    } else {
      reader_.BlockInPieces(size, [&](std::span<const uint8_t> piece) {
        if (visitor != nullptr) visitor->Piece(piece);
        if (options_.keepFileBytes) file.data.insert(file.data.end(), piece.begin(), piece.end());
        if (toSink && !reader_.streaming()) {
          bytes.bytes = piece;
        } else if (toSink) {
          gathered.insert(gathered.end(), piece.begin(), piece.end());
        }
        return true;
      });
    }
    if (visitor != nullptr) visitor->End(ok());
    if (!toSink || !ok()) return;
    if (reader_.streaming() && !leftInArchive) bytes.bytes = gathered;
    Adopt(file, writeToSink(bytes));
  }
  static void Adopt(EmbeddedFile& file, std::optional<std::u16string> written) {
    if (!written) return;
    file.path = std::move(*written);
    file.written = true;
  }

  ArchiveReader reader_;
  const DocumentLoadOptions& options_;
  size_t ordinal_ = 0;
};

class ArchiveOut {
 public:
  static constexpr bool kReading = false;

  ArchiveOut() = default;
  ArchiveOut(ByteSink& to, EmbeddedFileSource* files) : to_(&to), files_(files) {}

  void Int(const int32_t& value) { writer_.Int32(value); }
  void Float(const float& value) { writer_.Float32(value); }
  void Str(const std::u16string& text) { writer_.String(text); }
  void Bytes(const std::vector<uint8_t>& bytes) { writer_.Block(bytes); }
  void File(const EmbeddedFile& file) {
    writer_.String(file.path);
    if (file.source.empty() || files_ == nullptr) {
      writer_.Block(file.data);
      return;
    }
    if (file.sourceSize > std::numeric_limits<uint32_t>::max()) {
      ok_ = false;  // a block's count has 32 bits; the caller checks sizes before writing
      return;
    }
    writer_.Count(static_cast<uint32_t>(file.sourceSize));
    Flush();
    if (ok_) ok_ = files_->CopyTo(file, *to_);
  }
  void LinkedFile(const EmbeddedFile& file, std::u16string_view) { File(file); }
  void BeforeItem(size_t) {}
  void AfterItems() {}

  bool ok() const { return ok_; }
  void Fail() { ok_ = false; }
  std::vector<uint8_t> Take() { return writer_.Take(); }
  // Passes what is buffered on to the sink.
  void Flush() {
    if (to_ == nullptr || !ok_) return;
    const std::vector<uint8_t> bytes = writer_.Take();
    if (!bytes.empty()) ok_ = to_->Write(bytes);
  }

 private:
  ArchiveWriter writer_;
  ByteSink* to_ = nullptr;
  EmbeddedFileSource* files_ = nullptr;
  bool ok_ = true;
};

// Walks the model in archive order and shows each embedded file to a function.
class ArchiveWalk {
 public:
  static constexpr bool kReading = false;

  explicit ArchiveWalk(const std::function<void(const EmbeddedFile&)>& visit) : visit_(visit) {}
  void Int(const int32_t&) {}
  void Float(const float&) {}
  void Str(const std::u16string&) {}
  void Bytes(const std::vector<uint8_t>&) {}
  void File(const EmbeddedFile& file) { visit_(file); }
  void LinkedFile(const EmbeddedFile& file, std::u16string_view) { visit_(file); }
  void BeforeItem(size_t) {}
  void AfterItems() {}
  bool ok() const { return true; }
  void Fail() {}

 private:
  const std::function<void(const EmbeddedFile&)>& visit_;
};

// In the writing direction the visitors get const objects; a const_cast-free way is to let the
// templates take the section by forwarding reference and the Io decide.
template <class Io, class T>
using Field = std::conditional_t<Io::kReading, T&, const T&>;

template <class Io>
void VisitItem(Io& io, Field<Io, MovieItem> item) {
  io.Str(item.path);
  io.Float(item.playTime);
  io.File(item.file);
  io.Str(item.links);
  int32_t linkedCount = static_cast<int32_t>(item.linked.size());
  io.Int(linkedCount);
  if constexpr (Io::kReading) {
    if (linkedCount < 0) io.Fail();
    item.linked.clear();
    for (int32_t i = 0; i < linkedCount && io.ok(); ++i) {
      LinkedFile& linked = item.linked.emplace_back();
      io.Str(linked.name);
      io.Int(linked.embedded);
      if (linked.embedded != 0) {
        io.LinkedFile(linked.file, linked.name);
        if (linked.file.written) item.links = ReplaceLinkTarget(item.links, linked.name, linked.file.path);
      } else {
        io.Str(linked.path);
      }
    }
  } else {
    for (const LinkedFile& linked : item.linked) {
      io.Str(linked.name);
      io.Int(linked.embedded);
      if (linked.embedded != 0) {
        io.LinkedFile(linked.file, linked.name);
      } else {
        io.Str(linked.path);
      }
    }
  }
}

template <class Io>
void VisitMovieList(Io& io, Field<Io, MovieList> list) {
  int32_t count = static_cast<int32_t>(list.items.size());
  io.Int(count);
  io.Int(list.reserved);
  if constexpr (Io::kReading) {
    if (count < 0) io.Fail();
    list.items.clear();
    for (int32_t i = 0; i < count && io.ok(); ++i) {
      io.BeforeItem(static_cast<size_t>(i));
      VisitItem(io, list.items.emplace_back());
    }
    io.AfterItems();
  } else {
    for (const MovieItem& item : list.items) VisitItem(io, item);
  }
}

template <class Io>
void VisitProductInfo(Io& io, Field<Io, ProductInfo> info) {
  io.Str(info.title);
  io.Str(info.info2);
  io.Str(info.info3);
  io.Str(info.info4);
  io.Str(info.info5);
  io.Str(info.info6);
  io.Str(info.version);
}

template <class Io>
void VisitSizeOptions(Io& io, Field<Io, SizeOptions> size, uint32_t version) {
  io.Int(size.sizeMode);
  io.Int(size.placeholder);
  io.Int(size.windowState);
  io.Int(size.hostFlags);
  io.Int(size.horizontalAnchor);
  io.Int(size.verticalAnchor);
  io.Int(size.positionPreset);
  io.Int(size.width);
  io.Int(size.height);
  io.Int(size.percent);
  io.Int(size.left);
  io.Int(size.reserved);
  io.Int(size.top);
  io.Int(size.bottom);
  if (version >= 140) io.Int(size.workAreaOnly);
}

template <class Io>
void VisitAppearanceOptions(Io& io, Field<Io, AppearanceOptions> look, uint32_t version) {
  if (version > kNewestDocumentVersion) {
    io.Fail();
    return;
  }
  io.Str(look.title);
  io.Int(look.reserved1);
  io.Str(look.reserved2);
  io.File(look.icon);
  io.Int(look.shapeMode);
  io.Int(look.shapeKind);
  io.Bytes(look.region);
  io.Int(look.hasFrame);
  io.Int(look.maximizeBox);
  io.Int(look.minimizeBox);
  io.Int(look.systemMenu);
  io.Int(look.reserved3);
  io.Int(look.windowMode);
  io.Int(look.movieBackground);
  io.Int(look.showInTaskbar);
  io.Int(look.trayIcon);
  io.Int(look.alwaysOnTop);
  if (version >= 130) {
    io.Int(look.minimizeOthers);
    io.Int(look.restoreOthers);
  }
}

template <class Io>
void VisitMouseKeyOptions(Io& io, Field<Io, MouseKeyOptions> keys) {
  io.Int(keys.leftDrag);
  io.Int(keys.rightButton);
  io.Int(keys.closeKeyMode);
  io.Int(keys.escapeCloses);
  io.Int(keys.closeKeyEnabled);
}

template <class Io>
void VisitBehaviourOptions(Io& io, Field<Io, BehaviourOptions> behaviour, uint32_t version) {
  io.Int(behaviour.autoStart);
  io.Int(behaviour.loop);
  io.Int(behaviour.reserved1);
  io.Int(behaviour.protectFlags);
  for (auto& value : behaviour.reserved2) io.Int(value);
  io.Str(behaviour.reserved3);
  io.Int(behaviour.reserved4);
  io.Str(behaviour.reserved5);
  io.Int(behaviour.reserved6);
  io.Str(behaviour.reserved7);
  if (version >= 120) io.Str(behaviour.reserved8);
}

template <class Io>
void VisitMenuAboutOptions(Io& io, Field<Io, MenuAboutOptions> menu, uint32_t version) {
  io.Int(menu.maximizeItem);
  io.Int(menu.minimizeItem);
  io.Int(menu.restoreItem);
  io.Int(menu.onTopItem);
  io.Int(menu.exitItem);
  io.Str(menu.about1);
  io.Str(menu.about2);
  io.Str(menu.about3);
  io.Str(menu.about4);
  io.Int(menu.reserved1);
  io.Str(menu.reserved2);
  if (version > 100) {
    io.Str(menu.about5);
    io.Str(menu.about6);
    io.Int(menu.zoomInItem);
    io.Int(menu.zoomOutItem);
    io.Int(menu.zoomResetItem);
    io.Int(menu.qualityItem);
    io.Int(menu.playItem);
    io.Int(menu.loopItem);
    io.Int(menu.rewindItem);
    io.Int(menu.forwardItem);
    io.Int(menu.backItem);
    io.Int(menu.hideAbout);
  }
  io.File(menu.logo);
}

template <class Io>
void VisitOverlayPanelOptions(Io& io, Field<Io, OverlayPanelOptions> panel) {
  io.Int(panel.position);
  io.Int(panel.alignment);
  io.Int(panel.reserved1);
  io.Str(panel.text);
  io.Int(panel.textColor);
  io.Int(panel.backgroundColor);
  io.Bytes(panel.font);
  io.Int(panel.reserved2);
  io.Str(panel.reserved3);
  io.File(panel.picture);
}

template <class Io>
void VisitPlaybackOptions(Io& io, Field<Io, PlaybackOptions> playback, uint32_t version) {
  io.Int(playback.quality);
  io.Int(playback.reserved1);
  if (version >= 150) io.Str(playback.reserved2);
}

template <class Io>
void VisitBackgroundSound(Io& io, Field<Io, BackgroundSound> sound) {
  io.Int(sound.hasFile);
  io.Int(sound.enabled);
  io.Int(sound.loop);
  io.Str(sound.reserved);
  io.Str(sound.path);
  if (sound.hasFile != 0) {
    io.File(sound.file);
    if constexpr (Io::kReading) {
      if (sound.file.written) sound.path = sound.file.path;
    }
  }
}

template <class Io>
bool VisitSections(Io& io, Field<Io, DocumentModel> model, uint32_t version) {
  // A failure in one section stops the load: every later read would fail anyway, and the
  // check between sections keeps a failed load from writing any further files.
  VisitMovieList(io, model.movieList);
  if (!io.ok()) return false;
  VisitProductInfo(io, model.productInfo);
  VisitSizeOptions(io, model.sizeOptions, version);
  if (!io.ok()) return false;
  VisitAppearanceOptions(io, model.appearanceOptions, version);
  if (!io.ok()) return false;
  VisitMouseKeyOptions(io, model.mouseKeyOptions);
  VisitBehaviourOptions(io, model.behaviourOptions, version);
  VisitMenuAboutOptions(io, model.menuAboutOptions, version);
  if (!io.ok()) return false;
  VisitOverlayPanelOptions(io, model.overlayPanelOptions);
  if (!io.ok()) return false;
  VisitPlaybackOptions(io, model.playbackOptions, version);
  VisitPlaybackOptions(io, model.screenSaverPlaybackOptions, version);
  if (version > 149) io.Str(model.notesText.text);
  io.Int(model.logOptions.showLog);
  io.Int(model.logOptions.reserved);
  VisitBackgroundSound(io, model.backgroundSound);
  return io.ok();
}

}  // namespace

namespace {

bool FinishLoad(bool loaded, DocumentModel& model) {
  if (!loaded) {
    model.Reset();
    return false;
  }
  // Transparent rendering draws its own window: it has no frame and cannot be maximised.
  if (model.appearanceOptions.windowMode == 2) {
    model.appearanceOptions.hasFrame = 0;
    model.menuAboutOptions.maximizeItem = 0;
  }
  return true;
}

}  // namespace

bool LoadDocumentArchive(std::span<const uint8_t> record, DocumentModel& model, const DocumentLoadOptions& options) {
  model.Reset();
  const auto header = ParseDocumentRecordHeader(record);
  if (!header || TrimTrailingWhiteSpace(header->tag) != kDocumentTag.Text()) return false;
  model.version = header->version;
  ArchiveIn in(record.subspan(kDocumentHeaderSize), options);
  return FinishLoad(VisitSections(in, model, model.version), model);
}

bool LoadDocumentSections(ByteSource& sections, uint32_t version, DocumentModel& model,
                          const DocumentLoadOptions& options) {
  model.Reset();
  model.version = version;
  ArchiveIn in(sections, options);
  return FinishLoad(VisitSections(in, model, version), model);
}

bool WriteDocumentSections(const DocumentModel& model, uint32_t version, ByteSink& to, EmbeddedFileSource* files) {
  ArchiveOut out(to, files);
  if (!VisitSections(out, model, version)) return false;
  out.Flush();
  return out.ok();
}

void ForEachEmbeddedFile(const DocumentModel& model, uint32_t version,
                         const std::function<void(const EmbeddedFile&)>& visit) {
  ArchiveWalk walk(visit);
  VisitSections(walk, model, version);
}

std::vector<uint8_t> WriteDocumentSections(const DocumentModel& model, uint32_t version) {
  ArchiveOut out;
  VisitSections(out, model, version);
  return out.Take();
}

std::vector<uint8_t> WriteDocumentArchive(const DocumentModel& model, uint32_t version) {
  return MakeDocumentRecord(WriteDocumentSections(model, version), false, version);
}

std::u16string ReplaceLinkTarget(std::u16string_view links, std::u16string_view name, std::u16string_view path) {
  std::u16string result;
  size_t field = 0;
  size_t start = 0;
  for (;;) {
    const size_t end = links.find(u'|', start);
    const std::u16string_view text = links.substr(start, end == std::u16string_view::npos ? end : end - start);
    const bool fourth = field % 4 == 3;
    result += fourth && EqualsNoCase(text, name) ? path : text;
    if (end == std::u16string_view::npos) break;
    result += u'|';
    start = end + 1;
    ++field;
  }
  return result;
}

}  // namespace zp
