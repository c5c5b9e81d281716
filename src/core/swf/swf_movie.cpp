#include "core/swf/swf_movie.h"

#include "core/swf/swf_bitmap.h"
#include "core/swf/swf_bits.h"
#include "core/text.h"

namespace zp::swf {

std::u16string DecodeMovieText(std::string_view bytes, uint8_t version) {
  if (version >= 6) return Utf8ToU16(bytes);
  std::u16string text;
  for (char c : bytes) text.push_back(static_cast<unsigned char>(c));
  return text;
}

namespace {

// A movie that imports from a movie that imports... is cut off here (and a movie importing
// itself stops here too).
constexpr int kMaxImportDepth = 4;

// Collects the frames of one timeline from its tags.
class TimelineBuilder {
 public:
  explicit TimelineBuilder(uint8_t version) : version_(version) {}

  // Takes a tag that belongs to the timeline; false for any other tag.
  bool Take(const Tag& tag) {
    switch (tag.code) {
      case kTagShowFrame:
        timeline_.frames.push_back(std::move(current_));
        current_ = Frame{};
        hasContent_ = false;
        return true;
      case kTagPlaceObject: Add(ReadPlaceObject(tag.body)); break;
      case kTagPlaceObject2: Add(ReadPlaceObject2(tag.body, version_)); break;
      case kTagPlaceObject3: Add(ReadPlaceObject3(tag.body, version_)); break;
      case kTagRemoveObject:
      case kTagRemoveObject2: Add(ReadRemoveObject(tag.code, tag.body)); break;
      case kTagDoAction: current_.actions.push_back(tag.body); break;
      case kTagDoInitAction: {
        BitReader reader(tag.body);
        const uint16_t sprite = reader.U16();
        if (reader.ok()) current_.initActions.push_back({sprite, tag.body.subspan(2)});
        break;
      }
      case kTagFrameLabel: {
        BitReader reader(tag.body);
        current_.label = DecodeMovieText(reader.CString(), version_);
        break;
      }
      default:
        return false;
    }
    hasContent_ = true;
    return true;
  }

  Timeline Finish() {
    if (hasContent_ || timeline_.frames.empty()) timeline_.frames.push_back(std::move(current_));
    return std::move(timeline_);
  }

 private:
  void Add(std::optional<DisplayChange> change) {
    if (change) current_.changes.push_back(std::move(*change));
  }

  uint8_t version_;
  Timeline timeline_;
  Frame current_;
  bool hasContent_ = false;
};

}  // namespace

std::optional<size_t> Timeline::FindLabel(std::u16string_view label) const {
  for (size_t i = 0; i < frames.size(); ++i) {
    if (!frames[i].label.empty() && EqualsNoCase(frames[i].label, label)) return i;
  }
  return std::nullopt;
}

std::shared_ptr<const Movie> Movie::Build(File file, const ImportLoader& loader) {
  return BuildNested(std::move(file), loader, 0);
}

std::shared_ptr<const Movie> Movie::BuildNested(File file, const ImportLoader& loader, int importDepth) {
  std::shared_ptr<Movie> movie(new Movie(std::move(file)));
  TimelineBuilder root(movie->version());
  std::span<const uint8_t> jpegTables;
  for (const Tag& tag : movie->file_.tags()) {
    if (root.Take(tag)) continue;
    if (IsBitmapTag(tag.code)) {
      if (auto bitmap = ParseBitmap(tag.code, tag.body, jpegTables)) {
        movie->Define(bitmap->id, CharacterKind::kBitmap);
        movie->bitmaps_.try_emplace(bitmap->id, bitmap);
      }
      continue;
    }
    switch (tag.code) {
      case kTagJpegTables:
        jpegTables = tag.body;
        break;
      case kTagDefineVideoStream:
        if (tag.body.size() >= 2) movie->Define(static_cast<uint16_t>(tag.body[0] | tag.body[1] << 8), CharacterKind::kVideo);
        break;
      case kTagDefineMorphShape:
      case kTagDefineMorphShape2:
        if (auto morph = ParseMorphShape(tag.code, tag.body);
            morph && movie->Define(morph->id, CharacterKind::kMorphShape)) {
          const uint16_t id = morph->id;
          movie->morphShapes_.emplace(id, std::move(*morph));
        }
        break;
      case kTagDefineShape:
      case kTagDefineShape2:
      case kTagDefineShape3:
      case kTagDefineShape4:
        if (auto shape = ParseShape(tag.code, tag.body); shape && movie->Define(shape->id, CharacterKind::kShape)) {
          const uint16_t id = shape->id;
          movie->shapes_.emplace(id, std::move(*shape));
        }
        break;
      case kTagDefineSprite:
        movie->ReadSprite(tag.body);
        break;
      case kTagDefineFont:
      case kTagDefineFont2:
      case kTagDefineFont3:
      case kTagDefineFontInfo:
      case kTagDefineFontInfo2:
      case kTagDefineText:
      case kTagDefineText2:
      case kTagDefineEditText:
        movie->ReadText(tag);
        break;
      case kTagDefineButton:
      case kTagDefineButton2:
      case kTagDefineButtonCxform:
      case kTagDefineButtonSound:
        movie->ReadButton(tag);
        break;
      case kTagSetBackgroundColor: {
        BitReader reader(tag.body);
        const Rgba color{reader.U8(), reader.U8(), reader.U8(), 255};
        if (reader.ok() && !movie->background_) movie->background_ = color;
        break;
      }
      case kTagExportAssets:
        movie->ReadExports(tag.body);
        break;
      case kTagImportAssets:
      case kTagImportAssets2:
        movie->ReadImports(tag.code, tag.body, loader, importDepth);
        break;
      default:
        break;  // a tag this player does not use
    }
  }
  movie->timeline_ = root.Finish();
  return movie;
}

bool Movie::Define(uint16_t id, CharacterKind kind) {
  return characters_.try_emplace(id, CharacterRef{kind, this, id}).second;
}

void Movie::ReadSprite(std::span<const uint8_t> body) {
  BitReader reader(body);
  const uint16_t id = reader.U16();
  reader.U16();  // the frame count it claims; its ShowFrame tags say how many there are
  if (!reader.ok() || !Define(id, CharacterKind::kSprite)) return;
  TimelineBuilder builder(version());
  // Definitions inside a sprite are not allowed; only its timeline's own tags count.
  for (const Tag& tag : ReadTags(body.subspan(reader.position()))) builder.Take(tag);
  sprites_.emplace(id, SpriteDefinition{id, builder.Finish()});
}

void Movie::ReadText(const Tag& tag) {
  switch (tag.code) {
    case kTagDefineFont:
    case kTagDefineFont2:
    case kTagDefineFont3:
      if (auto font = ParseFont(tag.code, tag.body, version()); font && !fonts_.Find(font->id)) fonts_.Add(std::move(*font));
      break;
    case kTagDefineFontInfo:
    case kTagDefineFontInfo2: {
      const auto id = FontInfoTarget(tag.body);
      if (FontDefinition* font = id ? fonts_.FindMutable(*id) : nullptr) ApplyFontInfo(tag.code, tag.body, version(), *font);
      break;
    }
    case kTagDefineText:
    case kTagDefineText2:
      if (auto text = ParseStaticText(tag.code, tag.body); text && Define(text->id, CharacterKind::kStaticText)) {
        const uint16_t id = text->id;
        texts_.emplace(id, std::move(*text));
      }
      break;
    case kTagDefineEditText:
      if (auto field = ParseEditText(tag.body, version()); field && Define(field->id, CharacterKind::kEditText)) {
        const uint16_t id = field->id;
        editTexts_.emplace(id, std::move(*field));
      }
      break;
    default:
      break;
  }
}

void Movie::ReadButton(const Tag& tag) {
  if (tag.code == kTagDefineButtonSound) {
    // Kept for the button, though the control plays no sound on its transitions.
    const auto sounds = ParseButtonSound(tag.body);
    const auto it = sounds ? buttons_.find(sounds->button) : buttons_.end();
    if (it != buttons_.end()) it->second.sounds = sounds->sounds;
    return;
  }
  if (tag.code == kTagDefineButtonCxform) {
    // Only the first definition of an id stands, so only it takes the colours.
    const auto cxform = ParseButtonCxform(tag.body);
    const auto it = cxform ? buttons_.find(cxform->button) : buttons_.end();
    if (it == buttons_.end()) return;
    for (ButtonRecord& record : it->second.records) record.colorTransform = cxform->colorTransform;
    return;
  }
  if (auto button = ParseButton(tag.code, tag.body); button && Define(button->id, CharacterKind::kButton)) {
    const uint16_t id = button->id;
    buttons_.emplace(id, std::move(*button));
  }
}

void Movie::ReadExports(std::span<const uint8_t> body) {
  BitReader reader(body);
  const uint16_t count = reader.U16();
  for (uint16_t i = 0; i < count; ++i) {
    const uint16_t id = reader.U16();
    std::u16string name = DecodeMovieText(reader.CString(), version());
    if (!reader.ok()) return;
    exports_.try_emplace(std::move(name), id);
  }
}

void Movie::ReadImports(uint16_t tagCode, std::span<const uint8_t> body, const ImportLoader& loader, int importDepth) {
  BitReader reader(body);
  const std::u16string url = DecodeMovieText(reader.CString(), version());
  if (tagCode == kTagImportAssets2) reader.Skip(2);  // two reserved bytes
  const uint16_t count = reader.U16();
  if (!reader.ok() || !loader || importDepth >= kMaxImportDepth) return;
  const auto bytes = loader(url);
  if (!bytes) return;
  auto file = File::Parse(*bytes);
  if (!file) return;
  auto source = BuildNested(std::move(*file), loader, importDepth + 1);
  bool used = false;
  for (uint16_t i = 0; i < count; ++i) {
    const uint16_t id = reader.U16();
    const std::u16string name = DecodeMovieText(reader.CString(), version());
    if (!reader.ok()) break;
    const auto exported = source->FindExport(name);
    const auto character = exported ? source->FindCharacter(*exported) : std::nullopt;
    if (character && characters_.try_emplace(id, *character).second) used = true;
  }
  if (used) imports_.push_back(std::move(source));
}

namespace {

// One table of the dictionary: the definition under `id`, or null.
template <typename Table>
const typename Table::mapped_type* FindIn(const Table& table, uint16_t id) {
  const auto it = table.find(id);
  return it == table.end() ? nullptr : &it->second;
}

}  // namespace

std::optional<CharacterRef> Movie::FindCharacter(uint16_t id) const {
  const auto it = characters_.find(id);
  if (it == characters_.end()) return std::nullopt;
  return it->second;
}

const ShapeDefinition* Movie::FindShape(uint16_t id) const { return FindIn(shapes_, id); }

const SpriteDefinition* Movie::FindSprite(uint16_t id) const { return FindIn(sprites_, id); }

const StaticTextDefinition* Movie::FindStaticText(uint16_t id) const { return FindIn(texts_, id); }

const EditTextDefinition* Movie::FindEditText(uint16_t id) const { return FindIn(editTexts_, id); }

const ButtonDefinition* Movie::FindButton(uint16_t id) const { return FindIn(buttons_, id); }

const MorphShapeDefinition* Movie::FindMorphShape(uint16_t id) const {
  const auto it = morphShapes_.find(id);
  return it == morphShapes_.end() ? nullptr : &it->second;
}

std::shared_ptr<const MovieBitmap> Movie::FindBitmap(uint16_t id) const {
  const auto it = bitmaps_.find(id);
  return it == bitmaps_.end() ? nullptr : it->second;
}

std::optional<uint16_t> Movie::FindExport(std::u16string_view name) const {
  if (const auto it = exports_.find(std::u16string(name)); it != exports_.end()) return it->second;
  for (const auto& [exported, id] : exports_) {
    if (EqualsNoCase(exported, name)) return id;
  }
  return std::nullopt;
}

}  // namespace zp::swf
