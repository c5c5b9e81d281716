#include "core/swf/swf_clip_drawing.h"

#include <algorithm>
#include <cmath>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_clip.h"
#include "core/swf/swf_display.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_vm.h"

namespace zp::swf {
namespace {

constexpr double kTwips = 20;
// Side of the square a gradient is defined on, in pixels, as scripts' matrices see it.
constexpr double kGradientSquarePixels = 2 * kGradientHalfSize / kTwips;

Instance* Target(const Value& self) {
  auto* clip = dynamic_cast<ClipObject*>(self.ObjectOrNull());
  Instance* in = clip ? clip->instance() : nullptr;
  return in && in->HasTimeline() ? in : nullptr;
}

ScriptDrawing* Drawing(const Value& self) {
  Instance* in = Target(self);
  if (!in) return nullptr;
  if (!in->drawing) in->drawing = std::make_shared<ScriptDrawing>();
  static_cast<ClipObject*>(self.ObjectOrNull())->player().MarkRedraw();
  return in->drawing.get();
}

// A number argument, or nothing when it is missing or no number.
std::optional<double> Number(Vm& vm, std::span<const Value> args, size_t i) {
  if (i >= args.size() || args[i].IsUndefined()) return std::nullopt;
  const double n = vm.ToNumber(args[i]);
  if (!std::isfinite(n)) return std::nullopt;
  return n;
}

Rgba ColorWithAlpha(Vm& vm, std::span<const Value> args, size_t colorAt, size_t alphaAt) {
  const double rgb = Number(vm, args, colorAt).value_or(0);
  const uint32_t bits = static_cast<uint32_t>(static_cast<int64_t>(rgb));
  const double alpha = std::clamp(Number(vm, args, alphaAt).value_or(100), 0.0, 100.0);
  return Rgba{static_cast<uint8_t>(bits >> 16), static_cast<uint8_t>(bits >> 8), static_cast<uint8_t>(bits),
              static_cast<uint8_t>(std::lround(alpha * 255 / 100))};
}

Point PointArgs(Vm& vm, std::span<const Value> args, size_t at) {
  return {Number(vm, args, at).value_or(0) * kTwips, Number(vm, args, at + 1).value_or(0) * kTwips};
}

Value MoveTo(Vm& vm, const Value& self, std::span<const Value> args) {
  if (args.size() < 2) return Value();
  if (ScriptDrawing* d = Drawing(self)) d->MoveTo(PointArgs(vm, args, 0));
  return Value();
}

Value LineTo(Vm& vm, const Value& self, std::span<const Value> args) {
  if (args.size() < 2) return Value();
  if (ScriptDrawing* d = Drawing(self)) d->LineTo(PointArgs(vm, args, 0));
  return Value();
}

Value CurveTo(Vm& vm, const Value& self, std::span<const Value> args) {
  if (args.size() < 4) return Value();
  if (ScriptDrawing* d = Drawing(self)) d->CurveTo(PointArgs(vm, args, 0), PointArgs(vm, args, 2));
  return Value();
}

Value BeginFill(Vm& vm, const Value& self, std::span<const Value> args) {
  ScriptDrawing* d = Drawing(self);
  if (!d) return Value();
  if (!Number(vm, args, 0)) {
    d->EndFill();  // no colour: no fill
    return Value();
  }
  Paint paint;
  paint.color = ColorWithAlpha(vm, args, 0, 1);
  d->BeginFill(paint);
  return Value();
}

Value EndFill(Vm&, const Value& self, std::span<const Value>) {
  if (ScriptDrawing* d = Drawing(self)) d->EndFill();
  return Value();
}

Value Clear(Vm&, const Value& self, std::span<const Value>) {
  if (ScriptDrawing* d = Drawing(self)) d->Clear();
  return Value();
}

LineCap CapOf(Vm& vm, const Value& v) {
  const std::u16string s = v.IsString() ? v.AsString() : (v.IsUndefined() ? u"" : vm.ToString(v));
  if (s == u"none") return LineCap::kNone;
  if (s == u"square") return LineCap::kSquare;
  return LineCap::kRound;
}

Value SetLineStyle(Vm& vm, const Value& self, std::span<const Value> args) {
  ScriptDrawing* d = Drawing(self);
  if (!d) return Value();
  const auto thickness = Number(vm, args, 0);
  if (!thickness) {
    d->SetLineStyle(std::nullopt);
    return Value();
  }
  LineStyle line;
  // A width of 0 is a hairline: one pixel whatever the scale.
  line.width = std::clamp(*thickness, 0.0, 255.0) * kTwips;
  line.paint.color = ColorWithAlpha(vm, args, 1, 2);
  if (line.width == 0) {
    line.width = kTwips;
    line.scaleX = line.scaleY = false;
  }
  const std::u16string scaleMode = args.size() > 4 && args[4].IsString() ? args[4].AsString() : u"normal";
  if (scaleMode == u"none") line.scaleX = line.scaleY = false;
  if (scaleMode == u"vertical") line.scaleX = false;
  if (scaleMode == u"horizontal") line.scaleY = false;
  line.startCap = line.endCap = CapOf(vm, Arg(args, 5));
  const Value joint = Arg(args, 6);
  const std::u16string join = joint.IsString() ? joint.AsString() : u"round";
  line.join = join == u"miter" ? LineJoin::kMiter : join == u"bevel" ? LineJoin::kBevel : LineJoin::kRound;
  line.miterLimit = std::clamp(Number(vm, args, 7).value_or(3), 1.0, 255.0);
  d->SetLineStyle(line);
  return Value();
}

// The elements of an array argument.
std::vector<Value> Elements(const Value& v) {
  if (auto* a = dynamic_cast<ArrayObject*>(v.ObjectOrNull())) return a->elements;
  return {};
}

// A gradient matrix argument: {a, b, c, d, tx, ty} in pixels, or a box
// {matrixType: "box", x, y, w, h, r}; mapped to twips.
Matrix GradientMatrix(Vm& vm, const Value& v) {
  auto get = [&](std::u16string_view name) {
    const double n = vm.ToNumber(vm.GetMember(v, name));
    return std::isfinite(n) ? n : 0.0;
  };
  Matrix m;
  if (!v.IsObject()) return m;
  if (vm.ToString(vm.GetMember(v, u"matrixType")) == u"box") {
    const double w = get(u"w"), h = get(u"h"), r = get(u"r");
    m.a = std::cos(r) * w / kGradientSquarePixels;
    m.b = std::sin(r) * w / kGradientSquarePixels;
    m.c = -std::sin(r) * h / kGradientSquarePixels;
    m.d = std::cos(r) * h / kGradientSquarePixels;
    m.tx = (get(u"x") + w / 2) * kTwips;
    m.ty = (get(u"y") + h / 2) * kTwips;
  } else {
    m = {get(u"a"), get(u"b"), get(u"c"), get(u"d"), get(u"tx") * kTwips, get(u"ty") * kTwips};
  }
  return m;
}

// beginGradientFill(type, colors, alphas, ratios, matrix, spread, interpolation, focal) and
// lineGradientStyle with the same arguments: the paint, or nothing when they do not fit.
std::optional<Paint> GradientPaint(Vm& vm, std::span<const Value> args) {
  const std::u16string type = vm.ToString(Arg(args, 0));
  const std::vector<Value> colors = Elements(Arg(args, 1)), alphas = Elements(Arg(args, 2)),
                           ratios = Elements(Arg(args, 3));
  if ((type != u"linear" && type != u"radial") || colors.empty() || colors.size() != alphas.size() ||
      colors.size() != ratios.size()) {
    return std::nullopt;
  }
  Paint paint;
  const double focal = std::clamp(Number(vm, args, 7).value_or(0), -1.0, 1.0);
  paint.kind = type == u"linear" ? PaintKind::kLinearGradient : focal != 0 ? PaintKind::kFocalGradient
                                                                           : PaintKind::kRadialGradient;
  paint.gradient.focalPoint = focal;
  for (size_t i = 0; i < colors.size() && i < kMaxGradientStops; ++i) {
    const Value stop[] = {colors[i], alphas[i]};
    GradientStop s;
    s.color = ColorWithAlpha(vm, stop, 0, 1);
    s.ratio = static_cast<uint8_t>(std::clamp(vm.ToNumber(ratios[i]), 0.0, 255.0));
    paint.gradient.stops.push_back(s);
  }
  paint.matrix = GradientMatrix(vm, Arg(args, 4));
  const std::u16string spread = vm.ToString(Arg(args, 5));
  paint.gradient.spread = spread == u"reflect" ? SpreadMode::kReflect : spread == u"repeat" ? SpreadMode::kRepeat
                                                                                           : SpreadMode::kPad;
  if (vm.ToString(Arg(args, 6)) == u"linearRGB") paint.gradient.interpolation = GradientInterpolation::kLinearRgb;
  return paint;
}

Value BeginGradientFill(Vm& vm, const Value& self, std::span<const Value> args) {
  ScriptDrawing* d = Drawing(self);
  if (!d) return Value();
  if (const auto paint = GradientPaint(vm, args)) {
    d->BeginFill(*paint);
  } else {
    d->EndFill();
  }
  return Value();
}

Value LineGradientStyle(Vm& vm, const Value& self, std::span<const Value> args) {
  Instance* in = Target(self);
  if (!in || !in->drawing) return Value();
  const auto paint = GradientPaint(vm, args);
  const auto& current = in->drawing->lineStyle();
  if (!paint || !current) return Value();
  LineStyle line = *current;
  line.paint = *paint;
  in->drawing->SetLineStyle(line);
  return Value();
}

}  // namespace

void InstallClipDrawing(Vm& vm) {
  Object* proto = vm.movieClipProto;
  vm.Method(proto, u"moveTo", MoveTo);
  vm.Method(proto, u"lineTo", LineTo);
  vm.Method(proto, u"curveTo", CurveTo);
  vm.Method(proto, u"beginFill", BeginFill);
  vm.Method(proto, u"beginGradientFill", BeginGradientFill);
  vm.Method(proto, u"lineStyle", SetLineStyle);
  vm.Method(proto, u"lineGradientStyle", LineGradientStyle);
  vm.Method(proto, u"endFill", EndFill);
  vm.Method(proto, u"clear", Clear);
}

}  // namespace zp::swf
