#include "core/swf/swf_movie.h"

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

DisplayChange ReadPlaceObject(std::span<const uint8_t> body) {
  BitReader reader(body);
  DisplayChange change;
  change.character = reader.U16();
  change.depth = reader.U16();
  change.matrix = ReadMatrix(reader);
  if (reader.ok() && reader.remaining() > 0) {
    const auto cx = ReadColorTransform(reader, false);
    if (reader.ok()) change.colorTransform = cx;
  }
  return change;
}

std::optional<DisplayChange> ReadPlaceObject2(std::span<const uint8_t> body) {
  BitReader reader(body);
  DisplayChange change;
  const uint8_t flags = reader.U8();
  change.depth = reader.U16();
  change.move = flags & 0x01;
  if (flags & 0x02) change.character = reader.U16();
  if (flags & 0x04) change.matrix = ReadMatrix(reader);
  if (flags & 0x08) change.colorTransform = ReadColorTransform(reader, true);
  // Ratio, name, clip depth and clip actions follow; nothing here uses them.
  if (!reader.ok()) return std::nullopt;
  return change;
}

}  // namespace

std::shared_ptr<const Movie> Movie::Build(File file) {
  std::shared_ptr<Movie> movie(new Movie(std::move(file)));
  const uint8_t version = movie->version();
  Frame current;
  bool currentHasContent = false;
  for (const Tag& tag : movie->file_.tags()) {
    switch (tag.code) {
      case kTagShowFrame:
        movie->frames_.push_back(std::move(current));
        current = Frame{};
        currentHasContent = false;
        continue;
      case kTagDefineShape:
      case kTagDefineShape2:
      case kTagDefineShape3:
      case kTagDefineShape4:
        if (auto shape = ParseShape(tag.code, tag.body)) {
          const uint16_t id = shape->id;
          movie->shapes_.insert_or_assign(id, std::move(*shape));
        }
        continue;
      case kTagPlaceObject: {
        BitReader check(tag.body);
        check.U16();
        check.U16();
        if (check.ok()) current.changes.push_back(ReadPlaceObject(tag.body));
        break;
      }
      case kTagPlaceObject2:
        if (auto change = ReadPlaceObject2(tag.body)) current.changes.push_back(*change);
        break;
      case kTagRemoveObject:
      case kTagRemoveObject2: {
        BitReader reader(tag.body);
        if (tag.code == kTagRemoveObject) reader.U16();
        DisplayChange change;
        change.kind = DisplayChange::Kind::kRemove;
        change.depth = reader.U16();
        if (reader.ok()) current.changes.push_back(change);
        break;
      }
      case kTagSetBackgroundColor: {
        BitReader reader(tag.body);
        DisplayChange change;
        change.kind = DisplayChange::Kind::kBackground;
        change.background = {reader.U8(), reader.U8(), reader.U8(), 255};
        if (reader.ok()) current.changes.push_back(change);
        break;
      }
      case kTagDoAction:
        current.actions.push_back(tag.body);
        break;
      case kTagFrameLabel: {
        BitReader reader(tag.body);
        current.label = DecodeMovieText(reader.CString(), version);
        break;
      }
      default:
        continue;  // a tag this player does not use
    }
    currentHasContent = true;
  }
  if (currentHasContent || movie->frames_.empty()) movie->frames_.push_back(std::move(current));
  return movie;
}

const ShapeDefinition* Movie::FindShape(uint16_t id) const {
  const auto it = shapes_.find(id);
  return it == shapes_.end() ? nullptr : &it->second;
}

std::optional<size_t> Movie::FindLabel(std::u16string_view label) const {
  for (size_t i = 0; i < frames_.size(); ++i) {
    if (!frames_[i].label.empty() && EqualsNoCase(frames_[i].label, label)) return i;
  }
  return std::nullopt;
}

}  // namespace zp::swf
