#include "core/swf/swf_clip.h"

#include <cmath>
#include <numbers>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_display.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_vm.h"

namespace zp::swf {
namespace {

constexpr double kTwips = 20;

double ScaleX(const Matrix& m) { return std::sqrt(m.a * m.a + m.b * m.b) * 100; }
double ScaleY(const Matrix& m) { return std::sqrt(m.c * m.c + m.d * m.d) * 100; }
double Rotation(const Matrix& m) { return std::atan2(m.b, m.a) * 180 / std::numbers::pi; }

// Rebuilds the matrix from scale (percent) and rotation (degrees), keeping the position and
// the skew the two axes had.
void SetScaleRotation(Matrix& m, double sx, double sy, double degrees) {
  const double skewY = std::atan2(m.b, m.a);
  const double skewX = std::atan2(-m.c, m.d);
  const double delta = degrees * std::numbers::pi / 180 - skewY;
  m.a = sx / 100 * std::cos(skewY + delta);
  m.b = sx / 100 * std::sin(skewY + delta);
  m.c = -sy / 100 * std::sin(skewX + delta);
  m.d = sy / 100 * std::cos(skewX + delta);
}

// The slash path of _target: "/" for the root, "/menu/button" below it.
std::u16string SlashPath(const Instance& in) {
  if (!in.parent) return u"/";
  const std::u16string above = SlashPath(*in.parent);
  return (above == u"/" ? above : above + u"/") + in.name;
}

ClipObject* SelfClip(const Value& self) { return dynamic_cast<ClipObject*>(self.ObjectOrNull()); }
Instance* SelfInstance(const Value& self) {
  ClipObject* clip = SelfClip(self);
  return clip ? clip->instance() : nullptr;
}

// A frame argument: a number counts from 1, a string is a label or a number.
std::optional<size_t> FrameOf(Vm& vm, const Instance& in, const Value& v) {
  if (!in.HasTimeline()) return std::nullopt;
  double number = 0;
  if (v.IsString()) {
    if (const auto label = in.timeline->FindLabel(v.AsString())) return *label;
    number = TextToNumber(v.AsString());
  } else {
    number = vm.ToNumber(v);
  }
  if (std::isnan(number)) return std::nullopt;
  if (number < 1) number = 1;
  return static_cast<size_t>(std::min(number, static_cast<double>(in.FrameCount()))) - 1;
}

template <bool Play>
Value GotoAnd(Vm& vm, const Value& self, std::span<const Value> args) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  if (!in) return Value();
  if (const auto frame = FrameOf(vm, *in, Arg(args, 0))) clip->player().ShowFrame(*in, *frame);
  if (Instance* again = clip->instance()) again->playing = Play;
  return Value();
}

template <bool Play>
Value PlayOrStop(Vm&, const Value& self, std::span<const Value>) {
  if (Instance* in = SelfInstance(self)) in->playing = Play;
  return Value();
}

template <int Step>
Value StepFrame(Vm&, const Value& self, std::span<const Value>) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  if (!in || !in->HasTimeline()) return Value();
  const size_t to = Step > 0 ? std::min(in->currentFrame + 1, in->FrameCount() - 1)
                             : (in->currentFrame == 0 ? 0 : in->currentFrame - 1);
  if (to != in->currentFrame) clip->player().ShowFrame(*in, to);
  if (Instance* again = clip->instance()) again->playing = false;
  return Value();
}

Value ClipToString(Vm&, const Value& self, std::span<const Value>) {
  Instance* in = SelfInstance(self);
  return in ? Value(in->Path()) : Value(u"");
}

Value GetDepth(Vm&, const Value& self, std::span<const Value>) {
  Instance* in = SelfInstance(self);
  if (!in) return Value();
  return Value(static_cast<double>(in->depth - kScriptDepthOffset));
}

Value NextHighestDepth(Vm&, const Value& self, std::span<const Value>) {
  Instance* in = SelfInstance(self);
  if (!in) return Value();
  int32_t highest = -1;
  for (const auto& [depth, child] : in->children) highest = std::max(highest, depth - kScriptDepthOffset);
  return Value(static_cast<double>(highest + 1));
}

Value Nothing(Vm&, const Value&, std::span<const Value>) { return Value(); }
Value BytesTotal(Vm&, const Value& self, std::span<const Value>) {
  Instance* in = SelfInstance(self);
  return in && in->movie ? Value(static_cast<double>(in->movie->header().fileLength)) : Value();
}

}  // namespace

Instance* ClipObject::instance() const { return player_.FindBySerial(serial_); }

bool ClipObject::GetSpecial(Vm& vm, std::u16string_view name, Value& out) {
  Instance* in = instance();
  if (!in || name.empty()) return false;
  if (name[0] == u'_') {
    const Matrix& m = in->matrix;
    if (name == u"_x") out = m.tx / kTwips;
    else if (name == u"_y") out = m.ty / kTwips;
    else if (name == u"_xscale") out = ScaleX(m);
    else if (name == u"_yscale") out = ScaleY(m);
    else if (name == u"_rotation") out = Rotation(m);
    else if (name == u"_alpha") out = in->colorTransform.aMult * 100.0 / 256;
    else if (name == u"_visible") out = in->visible;
    else if (name == u"_currentframe") out = static_cast<double>(in->HasTimeline() ? in->currentFrame + 1 : 1);
    else if (name == u"_totalframes" || name == u"_framesloaded") out = static_cast<double>(in->HasTimeline() ? in->FrameCount() : 1);
    else if (name == u"_name") out = Value(in->name);
    else if (name == u"_target") out = Value(SlashPath(*in));
    else if (name == u"_parent") out = in->parent ? Value(player_.ObjectFor(*in->parent)) : Value();
    else if (name == u"_root" || name == u"_level0") out = Value(player_.ObjectFor(player_.root()));
    else if (name == u"_width" || name == u"_height") out = 0.0;
    else if (name == u"_url") out = Value(u"");
    else if (name == u"_xmouse" || name == u"_ymouse") out = 0.0;
    else if (name == u"_highquality") out = 1.0;
    else if (name == u"_quality") out = Value(u"HIGH");
    else if (name == u"_focusrect") out = true;
    else if (name == u"_soundbuftime") out = 5.0;
    else if (name == u"_droptarget") out = Value(u"");
    else return ChildNamed(vm, *in, name, out);
    return true;
  }
  return ChildNamed(vm, *in, name, out);
}

bool ClipObject::ChildNamed(Vm& vm, Instance& in, std::u16string_view name, Value& out) {
  // The clip's own variables come before its children.
  if (FindOwn(name)) return false;
  Instance* child = in.ChildByName(name, vm.heap().caseSensitive());
  if (!child || child->kind == CharacterKind::kShape) return false;
  out = Value(player_.ObjectFor(*child));
  return true;
}

bool ClipObject::SetSpecial(Vm& vm, std::u16string_view name, const Value& value) {
  Instance* in = instance();
  if (!in || name.empty() || name[0] != u'_') return false;
  const double n = vm.ToNumber(value);
  Matrix& m = in->matrix;
  const bool number = !std::isnan(n) && std::isfinite(n);
  if (name == u"_x") {
    if (number) m.tx = n * kTwips;
  } else if (name == u"_y") {
    if (number) m.ty = n * kTwips;
  } else if (name == u"_xscale") {
    if (number) SetScaleRotation(m, n, ScaleY(m), Rotation(m));
  } else if (name == u"_yscale") {
    if (number) SetScaleRotation(m, ScaleX(m), n, Rotation(m));
  } else if (name == u"_rotation") {
    if (number) SetScaleRotation(m, ScaleX(m), ScaleY(m), std::remainder(n, 360.0));
  } else if (name == u"_alpha") {
    if (number) in->colorTransform.aMult = static_cast<int32_t>(std::clamp(n, -32768.0, 32767.0) * 256 / 100);
  } else if (name == u"_visible") {
    in->visible = vm.ToBool(value);
  } else if (name == u"_name") {
    in->name = vm.ToString(value);
  } else if (name == u"_currentframe" || name == u"_totalframes" || name == u"_framesloaded" || name == u"_target" ||
             name == u"_parent" || name == u"_root" || name == u"_url" || name == u"_xmouse" || name == u"_ymouse" ||
             name == u"_width" || name == u"_height" || name == u"_droptarget") {
    // read-only, or not kept
  } else {
    return false;
  }
  player_.MarkRedraw();
  return true;
}

void InstallMovieClip(Vm& vm) {
  Object* proto = vm.heap().Make();
  proto->SetProto(vm.objectProto);
  vm.movieClipProto = proto;
  MakeConstructor(vm, u"MovieClip", Nothing, nullptr, proto);
  vm.Method(proto, u"play", PlayOrStop<true>);
  vm.Method(proto, u"stop", PlayOrStop<false>);
  vm.Method(proto, u"gotoAndPlay", GotoAnd<true>);
  vm.Method(proto, u"gotoAndStop", GotoAnd<false>);
  vm.Method(proto, u"nextFrame", StepFrame<1>);
  vm.Method(proto, u"prevFrame", StepFrame<-1>);
  vm.Method(proto, u"toString", ClipToString);
  vm.Method(proto, u"getDepth", GetDepth);
  vm.Method(proto, u"getNextHighestDepth", NextHighestDepth);
  vm.Method(proto, u"getBytesLoaded", BytesTotal);
  vm.Method(proto, u"getBytesTotal", BytesTotal);
  for (std::u16string_view name : {u"startDrag", u"stopDrag", u"setMask", u"loadMovie", u"unloadMovie", u"getURL"}) {
    vm.Method(proto, name, Nothing);
  }
}

}  // namespace zp::swf
