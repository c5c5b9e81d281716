#include "swf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "core/zlib_codec.h"

namespace zp::swfgen {

void BitWriter::UB(uint32_t value, unsigned bits) {
  for (unsigned i = bits; i-- > 0;) {
    partial_ = static_cast<uint8_t>((partial_ << 1) | ((value >> i) & 1u));
    if (++used_ == 8) {
      bytes_.push_back(partial_);
      partial_ = 0;
      used_ = 0;
    }
  }
}

void BitWriter::Flush() {
  if (used_ > 0) {
    bytes_.push_back(static_cast<uint8_t>(partial_ << (8 - used_)));
    partial_ = 0;
    used_ = 0;
  }
}

void BitWriter::U8(uint8_t v) {
  Flush();
  bytes_.push_back(v);
}

void BitWriter::U16(uint16_t v) {
  U8(v & 0xFF);
  U8(v >> 8);
}

void BitWriter::U32(uint32_t v) {
  U16(v & 0xFFFF);
  U16(v >> 16);
}

void BitWriter::String(std::string_view text) {
  Flush();
  bytes_.insert(bytes_.end(), text.begin(), text.end());
  bytes_.push_back(0);
}

void BitWriter::Append(const Bytes& bytes) {
  Flush();
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

unsigned SignedBits(int32_t value) {
  unsigned bits = 1;
  while (bits < 32) {
    const int64_t low = -(int64_t{1} << (bits - 1)), high = (int64_t{1} << (bits - 1)) - 1;
    if (value >= low && value <= high) break;
    ++bits;
  }
  return bits;
}

void WriteRect(BitWriter& w, Rect r) {
  unsigned bits = 1;
  for (int32_t v : {r.xMin, r.xMax, r.yMin, r.yMax}) bits = std::max(bits, SignedBits(v));
  w.UB(bits, 5);
  w.SB(r.xMin, bits);
  w.SB(r.xMax, bits);
  w.SB(r.yMin, bits);
  w.SB(r.yMax, bits);
  w.Flush();
}

void WriteTranslate(BitWriter& w, int32_t tx, int32_t ty) {
  w.UB(0, 1);  // no scale
  w.UB(0, 1);  // no rotation
  const unsigned bits = std::max(SignedBits(tx), SignedBits(ty));
  w.UB(bits, 5);
  w.SB(tx, bits);
  w.SB(ty, bits);
  w.Flush();
}

void WriteColor(BitWriter& w, Color c) {
  w.U8(c.r);
  w.U8(c.g);
  w.U8(c.b);
  w.U8(c.a);
}

// A shape record edge: straight from the pen by (dx, dy).
void WriteLine(BitWriter& w, int32_t dx, int32_t dy) {
  const unsigned bits = std::max({SignedBits(dx), SignedBits(dy), 2u});
  w.UB(1, 1);  // edge
  w.UB(1, 1);  // straight
  w.UB(bits - 2, 4);
  w.UB(1, 1);  // general line
  w.SB(dx, bits);
  w.SB(dy, bits);
}

void WriteCurve(BitWriter& w, int32_t cdx, int32_t cdy, int32_t adx, int32_t ady) {
  const unsigned bits = std::max({SignedBits(cdx), SignedBits(cdy), SignedBits(adx), SignedBits(ady), 2u});
  w.UB(1, 1);
  w.UB(0, 1);  // curved
  w.UB(bits - 2, 4);
  w.SB(cdx, bits);
  w.SB(cdy, bits);
  w.SB(adx, bits);
  w.SB(ady, bits);
}

namespace {

// Style-change record: move to (x, y), fill style 1 on the left (fill0), and optionally line 1.
void WriteStart(BitWriter& w, int32_t x, int32_t y, bool line) {
  w.UB(0, 1);
  w.UB(0, 1);            // new styles
  w.UB(line ? 1 : 0, 1); // line style
  w.UB(0, 1);            // fill style 1
  w.UB(1, 1);            // fill style 0
  w.UB(1, 1);            // move to
  const unsigned bits = std::max(SignedBits(x), SignedBits(y));
  w.UB(bits, 5);
  w.SB(x, bits);
  w.SB(y, bits);
  w.UB(1, 1);  // fill style 0 = 1 (1 fill bit)
  if (line) w.UB(1, 1);
}

void WriteMatrix(BitWriter& w, const MatrixSpec& m) {
  auto fixed = [](double v) { return static_cast<int32_t>(std::lround(v * 65536)); };
  const bool scale = m.a != 1 || m.d != 1, rotate = m.b != 0 || m.c != 0;
  w.UB(scale ? 1 : 0, 1);
  if (scale) {
    const unsigned bits = std::max(SignedBits(fixed(m.a)), SignedBits(fixed(m.d)));
    w.UB(bits, 5);
    w.SB(fixed(m.a), bits);
    w.SB(fixed(m.d), bits);
  }
  w.UB(rotate ? 1 : 0, 1);
  if (rotate) {
    const unsigned bits = std::max(SignedBits(fixed(m.b)), SignedBits(fixed(m.c)));
    w.UB(bits, 5);
    w.SB(fixed(m.b), bits);
    w.SB(fixed(m.c), bits);
  }
  const unsigned bits = std::max(SignedBits(m.tx), SignedBits(m.ty));
  w.UB(bits, 5);
  w.SB(m.tx, bits);
  w.SB(m.ty, bits);
  w.Flush();
}

unsigned IndexBits(size_t count) {
  unsigned bits = 0;
  while ((size_t{1} << bits) <= count) ++bits;
  return bits;
}

void WriteMoveTo(BitWriter& w, int32_t x, int32_t y) {
  const unsigned bits = std::max(SignedBits(x), SignedBits(y));
  w.UB(bits, 5);
  w.SB(x, bits);
  w.SB(y, bits);
}

}  // namespace

Bytes SolidFillStyle(Color c, bool alpha) {
  Bytes out{0x00, c.r, c.g, c.b};
  if (alpha) out.push_back(c.a);
  return out;
}

Bytes GradientFillStyle(const GradientSpec& g, bool alpha) {
  BitWriter w;
  w.U8(g.type);
  WriteMatrix(w, g.matrix);
  w.UB(g.spread, 2);
  w.UB(g.interpolation, 2);
  w.UB(static_cast<uint32_t>(g.stops.size()), 4);
  for (const auto& [ratio, c] : g.stops) {
    w.U8(ratio);
    w.U8(c.r);
    w.U8(c.g);
    w.U8(c.b);
    if (alpha) w.U8(c.a);
  }
  if (g.type == 0x13) w.U16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(g.focalPoint * 256))));
  return w.bytes();
}

Bytes BitmapFillStyle(uint8_t type, uint16_t bitmapId, const MatrixSpec& matrix) {
  BitWriter w;
  w.U8(type);
  w.U16(bitmapId);
  WriteMatrix(w, matrix);
  return w.bytes();
}

ShapeWriter& ShapeWriter::Fill(Bytes style) {
  fills_.push_back(std::move(style));
  return *this;
}

ShapeWriter& ShapeWriter::Line(uint16_t width, Color c) {
  BitWriter w;
  w.U16(width);
  w.U8(c.r);
  w.U8(c.g);
  w.U8(c.b);
  if (version_ >= 3) w.U8(c.a);
  lines_.push_back(w.bytes());
  return *this;
}

ShapeWriter& ShapeWriter::Line(uint16_t width, Color c, const LineStyle2& style) {
  BitWriter w;
  w.U16(width);
  w.UB(style.startCap, 2);
  w.UB(style.join, 2);
  w.UB(style.fill ? 1 : 0, 1);
  w.UB(style.noScale ? 1 : 0, 1);  // no horizontal scale
  w.UB(style.noScale ? 1 : 0, 1);  // no vertical scale
  w.UB(0, 1);                      // pixel hinting
  w.UB(0, 5);
  w.UB(0, 1);  // no close
  w.UB(style.endCap, 2);
  if (style.join == 2) w.U16(static_cast<uint16_t>(std::lround(style.miterLimit * 256)));
  if (style.fill) {
    w.Append(*style.fill);
  } else {
    WriteColor(w, c);
  }
  lines_.push_back(w.bytes());
  return *this;
}

ShapeWriter& ShapeWriter::Rect(swfgen::Rect twips, uint32_t fill, uint32_t line) {
  pieces_.push_back({twips, fill, line});
  return *this;
}

uint16_t ShapeWriter::TagCode() const {
  switch (version_) {
    case 1:
      return 2;
    case 2:
      return 22;
    case 3:
      return 32;
    default:
      return 83;
  }
}

Bytes ShapeWriter::Body(uint16_t id, swfgen::Rect bounds) const {
  BitWriter w;
  w.U16(id);
  WriteRect(w, bounds);
  if (version_ >= 4) {
    WriteRect(w, bounds);  // edge bounds
    w.U8(nonZero_ ? 0x04 : 0x00);
  }
  auto count = [&](size_t n) {
    if (n >= 0xFF && version_ >= 2) {
      w.U8(0xFF);
      w.U16(static_cast<uint16_t>(n));
    } else {
      w.U8(static_cast<uint8_t>(n));
    }
  };
  count(fills_.size());
  for (const Bytes& f : fills_) w.Append(f);
  count(lines_.size());
  for (const Bytes& l : lines_) w.Append(l);
  const unsigned fillBits = IndexBits(fills_.size()), lineBits = IndexBits(lines_.size());
  w.UB(fillBits, 4);
  w.UB(lineBits, 4);
  for (const Piece& p : pieces_) {
    w.UB(0, 1);
    w.UB(0, 1);  // new styles
    w.UB(1, 1);  // line style
    w.UB(0, 1);  // fill style 1
    w.UB(1, 1);  // fill style 0
    w.UB(1, 1);  // move to
    WriteMoveTo(w, p.r.xMin, p.r.yMin);
    w.UB(p.fill, fillBits);
    w.UB(p.line, lineBits);
    WriteLine(w, p.r.xMax - p.r.xMin, 0);
    WriteLine(w, 0, p.r.yMax - p.r.yMin);
    WriteLine(w, p.r.xMin - p.r.xMax, 0);
    WriteLine(w, 0, p.r.yMin - p.r.yMax);
  }
  w.UB(0, 6);
  return w.bytes();
}

ActionWriter& ActionWriter::Raw(uint8_t code, const Bytes& data) {
  code_.push_back(code);
  if (code >= 0x80) {
    code_.push_back(static_cast<uint8_t>(data.size() & 0xFF));
    code_.push_back(static_cast<uint8_t>(data.size() >> 8));
    code_.insert(code_.end(), data.begin(), data.end());
  }
  return *this;
}

ActionWriter& ActionWriter::Op(uint8_t code) { return Raw(code, {}); }

ActionWriter& ActionWriter::Push(std::initializer_list<PushValue> values) {
  BitWriter w;
  for (const PushValue& v : values) {
    if (auto s = std::get_if<std::string>(&v)) {
      w.U8(0);
      w.String(*s);
    } else if (auto f = std::get_if<float>(&v)) {
      uint32_t bits;
      std::memcpy(&bits, f, 4);
      w.U8(1);
      w.U32(bits);
    } else if (std::holds_alternative<std::nullptr_t>(v)) {
      w.U8(2);
    } else if (std::holds_alternative<std::monostate>(v)) {
      w.U8(3);
    } else if (auto r = std::get_if<Register>(&v)) {
      w.U8(4);
      w.U8(r->index);
    } else if (auto b = std::get_if<bool>(&v)) {
      w.U8(5);
      w.U8(*b ? 1 : 0);
    } else if (auto d = std::get_if<double>(&v)) {
      uint64_t bits;
      std::memcpy(&bits, d, 8);
      w.U8(6);
      w.U32(static_cast<uint32_t>(bits >> 32));  // high half first
      w.U32(static_cast<uint32_t>(bits));
    } else if (auto i = std::get_if<int32_t>(&v)) {
      w.U8(7);
      w.U32(static_cast<uint32_t>(*i));
    } else if (auto c = std::get_if<Constant>(&v)) {
      if (c->index < 256) {
        w.U8(8);
        w.U8(static_cast<uint8_t>(c->index));
      } else {
        w.U8(9);
        w.U16(c->index);
      }
    }
  }
  return Raw(0x96, w.bytes());
}

ActionWriter& ActionWriter::GotoFrame(uint16_t frame) {
  BitWriter w;
  w.U16(frame);
  return Raw(0x81, w.bytes());
}

ActionWriter& ActionWriter::GotoLabel(std::string_view label) {
  BitWriter w;
  w.String(label);
  return Raw(0x8C, w.bytes());
}

ActionWriter& ActionWriter::GetUrl(std::string_view url, std::string_view target) {
  BitWriter w;
  w.String(url);
  w.String(target);
  return Raw(0x83, w.bytes());
}

ActionWriter& ActionWriter::GetUrl2(uint8_t flags) { return Raw(0x9A, {flags}); }

ActionWriter& ActionWriter::GotoFrame2(bool play) { return Raw(0x9F, {static_cast<uint8_t>(play ? 1 : 0)}); }

ActionWriter& ActionWriter::ConstantPool(std::initializer_list<std::string> strings) {
  BitWriter w;
  w.U16(static_cast<uint16_t>(strings.size()));
  for (const auto& s : strings) w.String(s);
  return Raw(0x88, w.bytes());
}

ActionWriter& ActionWriter::Jump(const std::string& label) {
  Raw(0x99, {0, 0});
  fixups_.push_back({code_.size() - 2, code_.size(), label});
  return *this;
}

ActionWriter& ActionWriter::If(const std::string& label) {
  Raw(0x9D, {0, 0});
  fixups_.push_back({code_.size() - 2, code_.size(), label});
  return *this;
}

ActionWriter& ActionWriter::Mark(const std::string& label) {
  marks_.emplace_back(label, code_.size());
  return *this;
}

ActionWriter& ActionWriter::SetVariable(std::string_view name, PushValue value) {
  Push({std::string(name), value});
  return Op(0x1D);
}

ActionWriter& ActionWriter::FsCommand(std::string_view command, std::string_view arguments) {
  return GetUrl("FSCommand:" + std::string(command), arguments);
}

Bytes ActionWriter::Finish() const {
  Bytes out = Body();
  out.push_back(0x00);
  return out;
}

namespace {
void Put16(Bytes& b, size_t v) {
  b.push_back(static_cast<uint8_t>(v & 0xFF));
  b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void PutString(Bytes& b, std::string_view s) {
  b.insert(b.end(), s.begin(), s.end());
  b.push_back(0);
}
}  // namespace

ActionWriter& ActionWriter::DefineFunction(std::string_view name, std::initializer_list<std::string> params,
                                           const ActionWriter& body) {
  const Bytes code = body.Body();
  Bytes data;
  PutString(data, name);
  Put16(data, params.size());
  for (const auto& p : params) PutString(data, p);
  Put16(data, code.size());
  Raw(0x9B, data);
  code_.insert(code_.end(), code.begin(), code.end());
  return *this;
}

ActionWriter& ActionWriter::DefineFunction2(std::string_view name, uint8_t registers, uint16_t flags,
                                            std::initializer_list<Param> params, const ActionWriter& body) {
  const Bytes code = body.Body();
  Bytes data;
  PutString(data, name);
  Put16(data, params.size());
  data.push_back(registers);
  Put16(data, flags);
  for (const auto& p : params) {
    data.push_back(p.reg);
    PutString(data, p.name);
  }
  Put16(data, code.size());
  Raw(0x8E, data);
  code_.insert(code_.end(), code.begin(), code.end());
  return *this;
}

ActionWriter& ActionWriter::Try(const ActionWriter& tryBody, std::string_view catchName, uint8_t catchRegister,
                                const ActionWriter* catchBody, const ActionWriter* finallyBody) {
  const Bytes t = tryBody.Body();
  const Bytes c = catchBody ? catchBody->Body() : Bytes{};
  const Bytes f = finallyBody ? finallyBody->Body() : Bytes{};
  Bytes data;
  data.push_back(static_cast<uint8_t>((catchBody ? 1 : 0) | (finallyBody ? 2 : 0) | (catchName.empty() ? 4 : 0)));
  Put16(data, t.size());
  Put16(data, c.size());
  Put16(data, f.size());
  if (catchName.empty()) {
    data.push_back(catchRegister);
  } else {
    PutString(data, catchName);
  }
  Raw(0x8F, data);
  for (const Bytes* b : {&t, &c, &f}) code_.insert(code_.end(), b->begin(), b->end());
  return *this;
}

ActionWriter& ActionWriter::With(const ActionWriter& body) {
  const Bytes code = body.Body();
  Bytes data;
  Put16(data, code.size());
  Raw(0x94, data);
  code_.insert(code_.end(), code.begin(), code.end());
  return *this;
}

ActionWriter& ActionWriter::CallMethod(std::string_view object, std::string_view method,
                                       std::initializer_list<PushValue> args) {
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) Push({*it});
  Push({static_cast<int32_t>(args.size()), std::string(object)});
  Op(0x1C);  // GetVariable
  Push({std::string(method)});
  return Op(0x52);  // CallMethod
}

ActionWriter& ActionWriter::CallFunction(std::string_view name, std::initializer_list<PushValue> args) {
  for (auto it = std::rbegin(args); it != std::rend(args); ++it) Push({*it});
  Push({static_cast<int32_t>(args.size()), std::string(name)});
  return Op(0x3D);
}

Bytes ActionWriter::Body() const {
  Bytes out = code_;
  for (const Fixup& f : fixups_) {
    size_t target = SIZE_MAX;
    for (const auto& [name, at] : marks_) {
      if (name == f.label) target = at;
    }
    if (target == SIZE_MAX) throw std::logic_error("unknown branch label " + f.label);
    const int64_t offset = static_cast<int64_t>(target) - static_cast<int64_t>(f.from);
    out[f.offsetField] = static_cast<uint8_t>(offset & 0xFF);
    out[f.offsetField + 1] = static_cast<uint8_t>((offset >> 8) & 0xFF);
  }
  return out;
}

MovieWriter::MovieWriter(uint8_t version, int32_t stageWidthPx, int32_t stageHeightPx, double frameRate)
    : version_(version),
      width_(stageWidthPx),
      height_(stageHeightPx),
      rate_(static_cast<uint16_t>(std::lround(frameRate * 256))) {}

MovieWriter& MovieWriter::Tag(uint16_t code, const Bytes& body) {
  BitWriter w;
  if (body.size() < 0x3F) {
    w.U16(static_cast<uint16_t>((code << 6) | body.size()));
  } else {
    w.U16(static_cast<uint16_t>((code << 6) | 0x3F));
    w.U32(static_cast<uint32_t>(body.size()));
  }
  w.Append(body);
  const Bytes& b = w.bytes();
  tags_.insert(tags_.end(), b.begin(), b.end());
  return *this;
}

MovieWriter& MovieWriter::Background(Color c) { return Tag(9, {c.r, c.g, c.b}); }

MovieWriter& MovieWriter::DefineRect(uint16_t id, Rect r, Color fill, std::optional<Color> line, uint16_t lineWidth) {
  BitWriter w;
  w.U16(id);
  WriteRect(w, r);
  w.U8(1);     // one fill style
  w.U8(0x00);  // solid
  WriteColor(w, fill);
  if (line) {
    w.U8(1);
    w.U16(lineWidth);
    WriteColor(w, *line);
  } else {
    w.U8(0);
  }
  w.UB(1, 4);                // fill bits
  w.UB(line ? 1 : 0, 4);     // line bits
  WriteStart(w, r.xMin, r.yMin, line.has_value());
  WriteLine(w, r.xMax - r.xMin, 0);
  WriteLine(w, 0, r.yMax - r.yMin);
  WriteLine(w, r.xMin - r.xMax, 0);
  WriteLine(w, 0, r.yMin - r.yMax);
  w.UB(0, 6);  // end of shape
  return Tag(32, w.bytes());
}

MovieWriter& MovieWriter::DefineEllipse(uint16_t id, Rect r, Color fill) {
  BitWriter w;
  w.U16(id);
  WriteRect(w, r);
  w.U8(1);
  w.U8(0x00);
  WriteColor(w, fill);
  w.U8(0);
  w.UB(1, 4);
  w.UB(0, 4);
  const double cx = (r.xMin + r.xMax) / 2.0, cy = (r.yMin + r.yMax) / 2.0;
  const double rx = (r.xMax - r.xMin) / 2.0, ry = (r.yMax - r.yMin) / 2.0;
  constexpr double kPi = 3.14159265358979323846;
  auto at = [&](double angle, double radiusScale) {
    return std::pair<int32_t, int32_t>{static_cast<int32_t>(std::lround(cx + rx * radiusScale * std::cos(angle))),
                                       static_cast<int32_t>(std::lround(cy + ry * radiusScale * std::sin(angle)))};
  };
  auto [x, y] = at(0, 1);
  WriteStart(w, x, y, false);
  const double controlScale = 1 / std::cos(kPi / 8);
  for (int i = 0; i < 8; ++i) {
    const auto [cxp, cyp] = at((i + 0.5) * kPi / 4, controlScale);
    const auto [ax, ay] = at((i + 1) * kPi / 4, 1);
    WriteCurve(w, cxp - x, cyp - y, ax - cxp, ay - cyp);
    x = ax;
    y = ay;
  }
  w.UB(0, 6);
  return Tag(32, w.bytes());
}

MovieWriter& MovieWriter::DefineShape(uint16_t id, swfgen::Rect bounds, const ShapeWriter& shape) {
  return Tag(shape.TagCode(), shape.Body(id, bounds));
}

MovieWriter& MovieWriter::DefineMorphRect(uint16_t id, swfgen::Rect start, swfgen::Rect end, Color from, Color to) {
  auto edges = [](swfgen::Rect r, bool styled) {
    BitWriter w;
    w.UB(styled ? 1 : 0, 4);  // fill bits
    w.UB(0, 4);               // line bits
    w.UB(0, 1);
    w.UB(0, 3);               // no new styles, line style or fill style 1
    w.UB(styled ? 1 : 0, 1);  // fill style 0
    w.UB(1, 1);               // move to
    WriteMoveTo(w, r.xMin, r.yMin);
    if (styled) w.UB(1, 1);
    WriteLine(w, r.xMax - r.xMin, 0);
    WriteLine(w, 0, r.yMax - r.yMin);
    WriteLine(w, r.xMin - r.xMax, 0);
    WriteLine(w, 0, r.yMin - r.yMax);
    w.UB(0, 6);
    return w.bytes();
  };
  BitWriter styles;
  styles.U8(1);
  styles.U8(0x00);
  WriteColor(styles, from);
  WriteColor(styles, to);
  styles.U8(0);  // no line styles
  const Bytes startEdges = edges(start, true);
  BitWriter w;
  w.U16(id);
  WriteRect(w, start);
  WriteRect(w, end);
  const Bytes& styleBytes = styles.bytes();
  w.U32(static_cast<uint32_t>(styleBytes.size() + startEdges.size()));
  w.Append(styleBytes);
  w.Append(startEdges);
  w.Append(edges(end, false));
  return Tag(46, w.bytes());
}

MovieWriter& MovieWriter::DefineBitsLossless(uint16_t id, bool alpha, uint8_t format, uint16_t width,
                                             uint16_t height, const Bytes& pixels, uint8_t tableSize) {
  BitWriter w;
  w.U16(id);
  w.U8(format);
  w.U16(width);
  w.U16(height);
  if (format == 3) w.U8(static_cast<uint8_t>(tableSize - 1));
  w.Append(Deflate(pixels));
  return Tag(alpha ? 36 : 20, w.bytes());
}

MovieWriter& MovieWriter::Place(uint16_t depth, uint16_t id, int32_t tx, int32_t ty) {
  BitWriter w;
  w.U8(0x06);  // character, matrix
  w.U16(depth);
  w.U16(id);
  WriteTranslate(w, tx, ty);
  return Tag(26, w.bytes());
}

namespace {

void WriteButtonRecords(BitWriter& w, const std::vector<ButtonRecordSpec>& records, bool second) {
  for (const ButtonRecordSpec& r : records) {
    w.U8(r.looks);
    w.U16(r.character);
    w.U16(r.depth);
    WriteTranslate(w, r.txTwips, r.tyTwips);
    if (second) w.U8(0x04);  // a colour transform that changes nothing
  }
  w.U8(0);  // end of records
}

}  // namespace

MovieWriter& MovieWriter::DefineButton(uint16_t id, const std::vector<ButtonRecordSpec>& records,
                                       const ActionWriter& onRelease) {
  BitWriter w;
  w.U16(id);
  WriteButtonRecords(w, records, false);
  w.Append(onRelease.Finish());
  return Tag(7, w.bytes());
}

MovieWriter& MovieWriter::DefineButton2(uint16_t id, const std::vector<ButtonRecordSpec>& records,
                                        const std::vector<ButtonActionSpec>& actions, bool trackAsMenu) {
  BitWriter list;
  WriteButtonRecords(list, records, true);
  const Bytes& recordBytes = list.bytes();
  BitWriter w;
  w.U16(id);
  w.U8(trackAsMenu ? 1 : 0);
  // The offset counts from its own field to the first condition action.
  w.U16(actions.empty() ? 0 : static_cast<uint16_t>(2 + recordBytes.size()));
  w.Append(recordBytes);
  for (size_t i = 0; i < actions.size(); ++i) {
    const Bytes code = actions[i].actions.Finish();
    const bool last = i + 1 == actions.size();
    w.U16(last ? 0 : static_cast<uint16_t>(4 + code.size()));
    w.U16(static_cast<uint16_t>((actions[i].conditions & 0x1FF) | (actions[i].keyCode << 9)));
    w.Append(code);
  }
  return Tag(34, w.bytes());
}

MovieWriter& MovieWriter::PlaceWithAlpha(uint16_t depth, uint16_t id, int32_t tx, int32_t ty, int16_t alphaMult) {
  BitWriter w;
  w.U8(0x0E);  // character, matrix, colour transform
  w.U16(depth);
  w.U16(id);
  WriteTranslate(w, tx, ty);
  const unsigned bits = std::max(SignedBits(alphaMult), SignedBits(256));
  w.UB(0, 1);  // no add terms
  w.UB(1, 1);  // mult terms
  w.UB(bits, 4);
  w.SB(256, bits);
  w.SB(256, bits);
  w.SB(256, bits);
  w.SB(alphaMult, bits);
  w.Flush();
  return Tag(26, w.bytes());
}

namespace {

void WriteMatrix(BitWriter& w, const Placement& p) {
  const bool scaled = p.scale.has_value();
  w.UB(scaled, 1);
  if (scaled) {
    const int32_t fixed = static_cast<int32_t>(*p.scale * 65536);
    const unsigned bits = SignedBits(fixed);
    w.UB(bits, 5);
    w.SB(fixed, bits);
    w.SB(fixed, bits);
  }
  w.UB(0, 1);  // no rotation
  const auto [tx, ty] = p.translate.value_or(std::pair<int32_t, int32_t>{0, 0});
  const unsigned bits = std::max(SignedBits(tx), SignedBits(ty));
  w.UB(bits, 5);
  w.SB(tx, bits);
  w.SB(ty, bits);
  w.Flush();
}

uint8_t PlaceFlags(const Placement& p) {
  return static_cast<uint8_t>((p.move ? 0x01 : 0) | (p.character ? 0x02 : 0) |
                              (p.translate || p.scale ? 0x04 : 0) | (p.alphaMult ? 0x08 : 0) | (p.ratio ? 0x10 : 0) |
                              (p.name ? 0x20 : 0) | (p.clipDepth ? 0x40 : 0) | (p.clipActions.empty() ? 0 : 0x80));
}

// The fields after the depth (and PlaceObject3's class name) up to the clip depth.
void WritePlacementFields(BitWriter& w, const Placement& p) {
  if (p.character) w.U16(*p.character);
  if (p.translate || p.scale) WriteMatrix(w, p);
  if (p.alphaMult) {
    const unsigned bits = std::max(SignedBits(*p.alphaMult), SignedBits(256));
    w.UB(0, 1);  // no add terms
    w.UB(1, 1);  // mult terms
    w.UB(bits, 4);
    for (int32_t v : {256, 256, 256, static_cast<int32_t>(*p.alphaMult)}) w.SB(v, bits);
    w.Flush();
  }
  if (p.ratio) w.U16(*p.ratio);
  if (p.name) w.String(*p.name);
  if (p.clipDepth) w.U16(*p.clipDepth);
}

}  // namespace

MovieWriter& MovieWriter::PlaceObject2(const Placement& p) {
  BitWriter w;
  w.U8(PlaceFlags(p));
  w.U16(p.depth);
  WritePlacementFields(w, p);
  w.Append(p.clipActions);
  return Tag(26, w.bytes());
}

MovieWriter& MovieWriter::PlaceObject3(const Placement& p) {
  BitWriter w;
  w.U8(PlaceFlags(p));
  w.U8(static_cast<uint8_t>((p.filters.empty() ? 0 : 0x01) | (p.blendMode ? 0x02 : 0) | (p.cacheAsBitmap ? 0x04 : 0) |
                            (p.className ? 0x08 : 0) | (p.visible ? 0x20 : 0) | (p.opaqueBackground ? 0x40 : 0)));
  w.U16(p.depth);
  if (p.className) w.String(*p.className);
  WritePlacementFields(w, p);
  w.Append(p.filters);
  if (p.blendMode) w.U8(*p.blendMode);
  if (p.cacheAsBitmap) w.U8(*p.cacheAsBitmap);
  if (p.visible) w.U8(*p.visible ? 1 : 0);
  if (p.opaqueBackground) WriteColor(w, *p.opaqueBackground);
  w.Append(p.clipActions);
  return Tag(70, w.bytes());
}

MovieWriter& MovieWriter::DefineSprite(uint16_t id, const MovieWriter& timeline) {
  BitWriter w;
  w.U16(id);
  w.U16(timeline.frames_);
  w.Append(timeline.tags_);
  w.U16(0);  // End
  return Tag(39, w.bytes());
}

MovieWriter& MovieWriter::InitActions(uint16_t sprite, const ActionWriter& actions) {
  BitWriter w;
  w.U16(sprite);
  w.Append(actions.Finish());
  return Tag(59, w.bytes());
}

MovieWriter& MovieWriter::Export(uint16_t id, std::string_view name) {
  BitWriter w;
  w.U16(1);
  w.U16(id);
  w.String(name);
  return Tag(56, w.bytes());
}

MovieWriter& MovieWriter::Import(std::string_view url, uint16_t id, std::string_view name, bool second) {
  BitWriter w;
  w.String(url);
  if (second) w.U16(1);  // reserved bytes
  w.U16(1);
  w.U16(id);
  w.String(name);
  return Tag(second ? 71 : 57, w.bytes());
}

MovieWriter& MovieWriter::Move(uint16_t depth, int32_t tx, int32_t ty) {
  BitWriter w;
  w.U8(0x05);  // move, matrix
  w.U16(depth);
  WriteTranslate(w, tx, ty);
  return Tag(26, w.bytes());
}

MovieWriter& MovieWriter::Remove(uint16_t depth) {
  BitWriter w;
  w.U16(depth);
  return Tag(28, w.bytes());
}

MovieWriter& MovieWriter::Label(std::string_view name) {
  BitWriter w;
  w.String(name);
  return Tag(43, w.bytes());
}

MovieWriter& MovieWriter::Actions(const ActionWriter& actions) { return Tag(12, actions.Finish()); }

MovieWriter& MovieWriter::ShowFrame() {
  ++frames_;
  return Tag(1, {});
}

Bytes MovieWriter::Finish(bool compressed) const {
  BitWriter body;
  WriteRect(body, {0, 0, width_ * 20, height_ * 20});
  body.U16(rate_);
  body.U16(frames_);
  body.Append(tags_);
  body.U16(0);  // End
  const Bytes& rest = body.bytes();
  const uint32_t length = static_cast<uint32_t>(8 + rest.size());
  Bytes out{static_cast<uint8_t>(compressed ? 'C' : 'F'), 'W', 'S', version_};
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(length >> (8 * i)));
  if (compressed) {
    const Bytes packed = Deflate(rest);
    out.insert(out.end(), packed.begin(), packed.end());
  } else {
    out.insert(out.end(), rest.begin(), rest.end());
  }
  return out;
}

}  // namespace zp::swfgen
