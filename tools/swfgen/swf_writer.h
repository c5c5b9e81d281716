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
  // Functions, exception handlers and with-blocks carry their body inline.
  struct Param {
    uint8_t reg;  // 0: passed by name
    std::string name;
  };
  ActionWriter& DefineFunction(std::string_view name, std::initializer_list<std::string> params,
                               const ActionWriter& body);
  ActionWriter& DefineFunction2(std::string_view name, uint8_t registers, uint16_t flags,
                                std::initializer_list<Param> params, const ActionWriter& body);
  // A catch into a register when `catchName` is empty; an empty catch or finally body is absent.
  ActionWriter& Try(const ActionWriter& tryBody, std::string_view catchName, uint8_t catchRegister,
                    const ActionWriter* catchBody, const ActionWriter* finallyBody);
  ActionWriter& With(const ActionWriter& body);
  ActionWriter& StoreRegister(uint8_t reg) { return Raw(0x87, {reg}); }
  // Common shorthands.
  // object.method(args...): the arguments are pushed last first, then their count.
  ActionWriter& CallMethod(std::string_view object, std::string_view method, std::initializer_list<PushValue> args);
  // function(args...) by name.
  ActionWriter& CallFunction(std::string_view name, std::initializer_list<PushValue> args);
  ActionWriter& Trace() { return Op(0x26); }
  ActionWriter& Stop() { return Op(0x07); }
  ActionWriter& Play() { return Op(0x06); }
  ActionWriter& SetVariable(std::string_view name, PushValue value);
  ActionWriter& FsCommand(std::string_view command, std::string_view arguments);
  // The finished block, with an End action.
  Bytes Finish() const;
  // The code without the End action (a function's or handler's body).
  Bytes Body() const;

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

// A matrix as the file stores it (scale and rotation as 16.16, translation in twips).
struct MatrixSpec {
  double a = 1, b = 0, c = 0, d = 1;
  int32_t tx = 0, ty = 0;
};

struct GradientSpec {
  uint8_t type = 0x10;  // 0x10 linear, 0x12 radial, 0x13 focal
  MatrixSpec matrix;
  std::vector<std::pair<uint8_t, Color>> stops;
  uint8_t spread = 0;         // 0 pad, 1 reflect, 2 repeat
  uint8_t interpolation = 0;  // 0 RGB, 1 linear RGB
  double focalPoint = 0;
};

// Fill style records; `alpha` for shapes of version 3 and later.
Bytes SolidFillStyle(Color c, bool alpha);
Bytes GradientFillStyle(const GradientSpec& gradient, bool alpha);
Bytes BitmapFillStyle(uint8_t type, uint16_t bitmapId, const MatrixSpec& matrix);

// A shape of rectangles, each with a fill style on its inside and a line style around it,
// written as DefineShape `version` (1-4).
class ShapeWriter {
 public:
  struct LineStyle2 {
    uint8_t startCap = 0, join = 0, endCap = 0;  // 0 round, 1 none/bevel, 2 square/miter
    double miterLimit = 3;
    bool noScale = false;
    std::optional<Bytes> fill;  // a fill style instead of the colour
  };
  explicit ShapeWriter(int version) : version_(version) {}
  ShapeWriter& Fill(Bytes style);
  ShapeWriter& Line(uint16_t width, Color c);
  ShapeWriter& Line(uint16_t width, Color c, const LineStyle2& style);  // version 4
  ShapeWriter& NonZeroWinding() {
    nonZero_ = true;
    return *this;
  }
  // Style indices count from 1; 0 is none.
  ShapeWriter& Rect(swfgen::Rect twips, uint32_t fill, uint32_t line);
  Bytes Body(uint16_t id, swfgen::Rect bounds) const;
  uint16_t TagCode() const;

 private:
  int version_;
  bool nonZero_ = false;
  std::vector<Bytes> fills_, lines_;
  struct Piece {
    swfgen::Rect r;
    uint32_t fill, line;
  };
  std::vector<Piece> pieces_;
};

// One character of a button: the looks it is part of (1 up, 2 over, 4 down, 8 hit area), at
// a depth of the button, moved by a translation.
struct ButtonRecordSpec {
  uint8_t looks = 0;
  uint16_t character = 0;
  uint16_t depth = 1;
  int32_t txTwips = 0, tyTwips = 0;
};

// A condition action of DefineButton2: the transitions it runs on (the 9 low bits of the
// condition field) and a key code.
struct ButtonActionSpec {
  uint16_t conditions = 0;
  uint8_t keyCode = 0;
  ActionWriter actions;
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
  MovieWriter& DefineShape(uint16_t id, swfgen::Rect bounds, const ShapeWriter& shape);
  // A morph shape from one rectangle to another, filled with a colour going from `from` to `to`.
  MovieWriter& DefineMorphRect(uint16_t id, swfgen::Rect start, swfgen::Rect end, Color from, Color to);
  // DefineBitsLossless (or 2 with `alpha`): `format` 3 (colour-mapped; `pixels` holds the table
  // of `tableSize` entries then the rows), 4 or 5, with the unpacked bytes as the tag stores them.
  MovieWriter& DefineBitsLossless(uint16_t id, bool alpha, uint8_t format, uint16_t width, uint16_t height,
                                  const Bytes& pixels, uint8_t tableSize = 0);
  MovieWriter& Place(uint16_t depth, uint16_t id, int32_t txTwips = 0, int32_t tyTwips = 0);
  MovieWriter& PlaceWithAlpha(uint16_t depth, uint16_t id, int32_t txTwips, int32_t tyTwips, int16_t alphaMult);
  MovieWriter& Move(uint16_t depth, int32_t txTwips, int32_t tyTwips);
  MovieWriter& PlaceObject2(const Placement& p);
  // DefineButton: its records and the one action block it runs on release.
  MovieWriter& DefineButton(uint16_t id, const std::vector<ButtonRecordSpec>& records, const ActionWriter& onRelease);
  // DefineButton2: its records and its condition actions.
  MovieWriter& DefineButton2(uint16_t id, const std::vector<ButtonRecordSpec>& records,
                             const std::vector<ButtonActionSpec>& actions, bool trackAsMenu = false);
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
