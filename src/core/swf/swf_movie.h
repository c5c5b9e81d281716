// A movie as its character dictionary and its timelines: the characters it defines (shapes,
// sprites, and what other kinds add), the root timeline, and per frame of each timeline what
// the frame changes on the display list and which action blocks it runs.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/swf/swf_button.h"
#include "core/swf/swf_file.h"
#include "core/swf/swf_geometry.h"
#include "core/swf/swf_morph.h"
#include "core/swf/swf_paint.h"
#include "core/swf/swf_place.h"
#include "core/swf/swf_shape.h"
#include "core/swf/swf_font.h"
#include "core/swf/swf_text.h"

namespace zp::swf {

// A DoInitAction block: runs once, before the frame's own actions, the first time the frame
// that carries it is reached.
struct InitActions {
  uint16_t sprite = 0;
  std::span<const uint8_t> actions;
};

struct Frame {
  std::vector<DisplayChange> changes;
  std::vector<std::span<const uint8_t>> actions;  // DoAction bodies, pointing into the file
  std::vector<InitActions> initActions;
  std::u16string label;
};

// The frames of the root or of a sprite. Always at least one frame.
struct Timeline {
  std::vector<Frame> frames;
  size_t FrameCount() const { return frames.size(); }
  // The first frame carrying this label (compared without regard to case), if any.
  std::optional<size_t> FindLabel(std::u16string_view label) const;
};

struct SpriteDefinition {
  uint16_t id = 0;
  Timeline timeline;
};

// The kinds of character a dictionary holds. Each kind has its own table in `Movie` and its
// own Find; a new kind adds both.
// Bitmaps (their table is the one fills use) and videos take a place on the display list and
// a name; they draw nothing there.
enum class CharacterKind : uint8_t { kShape, kSprite, kStaticText, kEditText, kMorphShape, kButton, kBitmap, kVideo };

class Movie;

// Where a character is defined: an imported character lives in the movie it came from, under
// that movie's id, and the ids its own timeline uses are that movie's too.
struct CharacterRef {
  CharacterKind kind = CharacterKind::kShape;
  const Movie* movie = nullptr;
  uint16_t id = 0;
};

// Reads the movie an ImportAssets tag names (its address as written in the tag); nothing
// when it cannot be read. Without a loader nothing is imported.
using ImportLoader = std::function<std::optional<std::vector<uint8_t>>(std::u16string_view url)>;

class Movie {
 public:
  // Never fails once the file parsed: unknown or damaged tags are skipped, and so are imports
  // the loader cannot provide. A movie always has at least one frame; content after the last
  // ShowFrame forms a final frame.
  static std::shared_ptr<const Movie> Build(File file, const ImportLoader& loader = {});

  const Header& header() const { return file_.header(); }
  uint8_t version() const { return file_.header().version; }
  const Timeline& timeline() const { return timeline_; }
  const std::vector<Frame>& frames() const { return timeline_.frames; }
  size_t FrameCount() const { return timeline_.FrameCount(); }
  std::optional<size_t> FindLabel(std::u16string_view label) const { return timeline_.FindLabel(label); }
  // The stage colour: the first SetBackgroundColor of the root timeline (later ones do not
  // change it), if any.
  std::optional<Rgba> background() const { return background_; }

  // Any character by id, defined here or imported; the first definition of an id stands.
  std::optional<CharacterRef> FindCharacter(uint16_t id) const;
  // Characters defined in this movie itself.
  const ShapeDefinition* FindShape(uint16_t id) const;
  const SpriteDefinition* FindSprite(uint16_t id) const;
  const StaticTextDefinition* FindStaticText(uint16_t id) const;
  const EditTextDefinition* FindEditText(uint16_t id) const;
  // The fonts this movie defines, which its texts are drawn with.
  const FontTable& fonts() const { return fonts_; }
  const MorphShapeDefinition* FindMorphShape(uint16_t id) const;
  const ButtonDefinition* FindButton(uint16_t id) const;
  // Bitmaps are not placed themselves; fills find them by id.
  std::shared_ptr<const MovieBitmap> FindBitmap(uint16_t id) const;
  // The character exported under `name` (ExportAssets; exact name first, then without regard
  // to case).
  std::optional<uint16_t> FindExport(std::u16string_view name) const;

 private:
  explicit Movie(File file) : file_(std::move(file)) {}
  static std::shared_ptr<const Movie> BuildNested(File file, const ImportLoader& loader, int importDepth);
  bool Define(uint16_t id, CharacterKind kind);
  void ReadSprite(std::span<const uint8_t> body);
  void ReadExports(std::span<const uint8_t> body);
  void ReadImports(uint16_t tagCode, std::span<const uint8_t> body, const ImportLoader& loader, int importDepth);
  void ReadText(const Tag& tag);
  void ReadButton(const Tag& tag);

  File file_;
  Timeline timeline_;
  std::optional<Rgba> background_;
  std::map<uint16_t, CharacterRef> characters_;
  std::map<uint16_t, ShapeDefinition> shapes_;
  std::map<uint16_t, SpriteDefinition> sprites_;
  std::map<uint16_t, StaticTextDefinition> texts_;
  std::map<uint16_t, EditTextDefinition> editTexts_;
  FontTable fonts_;
  std::map<uint16_t, MorphShapeDefinition> morphShapes_;
  std::map<uint16_t, ButtonDefinition> buttons_;
  std::map<uint16_t, std::shared_ptr<const MovieBitmap>> bitmaps_;
  std::map<std::u16string, uint16_t> exports_;
  std::vector<std::shared_ptr<const Movie>> imports_;  // kept alive for the characters taken from them
};

// Bytes of a text field in the movie as UTF-16: UTF-8 from version 6, and before that bytes
// of the system code page, read here as Latin-1.
std::u16string DecodeMovieText(std::string_view bytes, uint8_t version);

}  // namespace zp::swf
