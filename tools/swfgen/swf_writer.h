// Writes small movies: shapes, frames, labels and frame actions, plain or compressed. Used to
// make test movies and the example presentation's movies; it writes what the movie control
// plays, nothing more.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace zp::swfgen {

using Bytes = std::vector<uint8_t>;

struct Color {
  uint8_t r = 0, g = 0, b = 0, a = 255;
};

// Most-significant-bit-first bit fields, as movie records pack them.
class BitWriter {
 public:
  void UB(uint32_t value, unsigned bits);
  void SB(int32_t value, unsigned bits) { UB(static_cast<uint32_t>(value), bits); }
  void Flush();  // pads to a whole byte
  void U8(uint8_t v);
  void U16(uint16_t v);
  void U32(uint32_t v);
  void String(std::string_view text);  // with its zero terminator
  void Append(const Bytes& bytes);
  Bytes& bytes() {
    Flush();
    return bytes_;
  }

 private:
  Bytes bytes_;
  uint8_t partial_ = 0;
  unsigned used_ = 0;
};

// Bits needed to store `value` as a signed field.
unsigned SignedBits(int32_t value);

// Action blocks. Branches use labels: `If("x")` / `Jump("x")` go to where `Mark("x")` stands.
class ActionWriter {
 public:
  struct Register {
    uint8_t index;
  };
  struct Constant {
    uint16_t index;
  };
  using PushValue = std::variant<std::string, double, float, int32_t, bool, std::nullptr_t, std::monostate, Register,
                                 Constant>;  // monostate = undefined

  ActionWriter& Push(std::initializer_list<PushValue> values);
  ActionWriter& Op(uint8_t code);  // any action without data
  ActionWriter& Raw(uint8_t code, const Bytes& data);
  ActionWriter& GotoFrame(uint16_t frame);
  ActionWriter& GotoLabel(std::string_view label);
  ActionWriter& GetUrl(std::string_view url, std::string_view target);
  ActionWriter& GetUrl2(uint8_t flags = 0);
  ActionWriter& GotoFrame2(bool play);
  ActionWriter& ConstantPool(std::initializer_list<std::string> strings);
  ActionWriter& Jump(const std::string& label);
  ActionWriter& If(const std::string& label);
  ActionWriter& Mark(const std::string& label);
  // Common shorthands.
  ActionWriter& Stop() { return Op(0x07); }
  ActionWriter& Play() { return Op(0x06); }
  ActionWriter& SetVariable(std::string_view name, PushValue value);
  ActionWriter& FsCommand(std::string_view command, std::string_view arguments);
  // The finished block, with an End action.
  Bytes Finish() const;

 private:
  struct Fixup {
    size_t offsetField;  // where the 16-bit offset goes
    size_t from;         // the byte after the branch action
    std::string label;
  };
  Bytes code_;
  std::vector<Fixup> fixups_;
  std::vector<std::pair<std::string, size_t>> marks_;
};

// A rectangle in twips.
struct Rect {
  int32_t xMin, yMin, xMax, yMax;
};

// Records that several tag writers share.
void WriteRect(BitWriter& w, Rect twips);
void WriteTranslate(BitWriter& w, int32_t tx, int32_t ty);
void WriteColor(BitWriter& w, Color c);  // with alpha
// Shape record edges, relative to the pen.
void WriteLine(BitWriter& w, int32_t dx, int32_t dy);
void WriteCurve(BitWriter& w, int32_t cdx, int32_t cdy, int32_t adx, int32_t ady);

// Everything a PlaceObject2 or PlaceObject3 can say; fields left unset are left out. Built by
// chaining: `Placement(3).Character(1).At(20, 40).Name("box")`.
struct Placement {
  explicit Placement(uint16_t atDepth) : depth(atDepth) {}
  Placement& Moving() { return move = true, *this; }
  Placement& Character(uint16_t id) { return character = id, *this; }
  Placement& At(int32_t txTwips, int32_t tyTwips) { return translate = std::pair{txTwips, tyTwips}, *this; }
  Placement& Scale(double both) { return scale = both, *this; }
  Placement& Alpha(int16_t mult) { return alphaMult = mult, *this; }
  Placement& Ratio(uint16_t value) { return ratio = value, *this; }
  Placement& Name(std::string value) { return name = std::move(value), *this; }
  Placement& ClipDepth(uint16_t value) { return clipDepth = value, *this; }
  Placement& ClipActions(Bytes stored) { return clipActions = std::move(stored), *this; }
  Placement& ClassName(std::string value) { return className = std::move(value), *this; }
  Placement& Filters(Bytes list) { return filters = std::move(list), *this; }
  Placement& BlendMode(uint8_t value) { return blendMode = value, *this; }
  Placement& CacheAsBitmap(uint8_t value) { return cacheAsBitmap = value, *this; }
  Placement& Visible(bool value) { return visible = value, *this; }
  Placement& OpaqueBackground(Color value) { return opaqueBackground = value, *this; }

  uint16_t depth;
  bool move = false;
  std::optional<uint16_t> character;
  std::optional<std::pair<int32_t, int32_t>> translate;  // twips
  std::optional<double> scale;                          // the same in x and y
  std::optional<int16_t> alphaMult;                     // a colour transform of the alpha only
  std::optional<uint16_t> ratio;
  std::optional<std::string> name;
  std::optional<uint16_t> clipDepth;
  Bytes clipActions;  // as stored, when not empty
  // PlaceObject3 only.
  std::optional<std::string> className;
  Bytes filters;  // a whole filter list (its count first), when not empty
  std::optional<uint8_t> blendMode;
  std::optional<uint8_t> cacheAsBitmap;
  std::optional<bool> visible;
  std::optional<Color> opaqueBackground;
};

class MovieWriter {
 public:
  // `frameRate` in frames per second; stored as 8.8 fixed point. The stage is in pixels.
  MovieWriter(uint8_t version, int32_t stageWidthPx, int32_t stageHeightPx, double frameRate);

  MovieWriter& Background(Color c);
  // A shape of one filled rectangle (DefineShape3, with alpha), optionally outlined.
  MovieWriter& DefineRect(uint16_t id, Rect twips, Color fill, std::optional<Color> line = std::nullopt,
                          uint16_t lineWidth = 20);
  // A shape of one filled ellipse made of eight curves.
  MovieWriter& DefineEllipse(uint16_t id, Rect twips, Color fill);
  MovieWriter& Place(uint16_t depth, uint16_t id, int32_t txTwips = 0, int32_t tyTwips = 0);
  MovieWriter& PlaceWithAlpha(uint16_t depth, uint16_t id, int32_t txTwips, int32_t tyTwips, int16_t alphaMult);
  MovieWriter& Move(uint16_t depth, int32_t txTwips, int32_t tyTwips);
  MovieWriter& PlaceObject2(const Placement& p);
  MovieWriter& PlaceObject3(const Placement& p);
  // A sprite whose timeline is the tags and frames written to `timeline` (its stage and rate
  // do not matter).
  MovieWriter& DefineSprite(uint16_t id, const MovieWriter& timeline);
  MovieWriter& InitActions(uint16_t sprite, const ActionWriter& actions);
  MovieWriter& Export(uint16_t id, std::string_view name);
  // ImportAssets (or ImportAssets2) of one character.
  MovieWriter& Import(std::string_view url, uint16_t id, std::string_view name, bool second = false);
  MovieWriter& Remove(uint16_t depth);
  MovieWriter& Label(std::string_view name);
  MovieWriter& Actions(const ActionWriter& actions);
  MovieWriter& ShowFrame();
  MovieWriter& Tag(uint16_t code, const Bytes& body);
  // The file: header with the frames shown so far, the tags, End. `compressed` writes "CWS".
  Bytes Finish(bool compressed) const;

 private:
  uint8_t version_;
  int32_t width_, height_;
  uint16_t rate_;
  uint16_t frames_ = 0;
  Bytes tags_;
};

}  // namespace zp::swfgen
