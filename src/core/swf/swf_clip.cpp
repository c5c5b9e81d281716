#include "core/swf/swf_clip.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "core/swf/swf_bounds.h"
#include "core/swf/swf_builtins.h"
#include "core/swf/swf_clip_drawing.h"
#include "core/swf/swf_display.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_text_field_object.h"
#include "core/swf/swf_timeline.h"
#include "core/swf/swf_vm.h"

namespace zp::swf {
namespace {

constexpr double kTwips = 20;

// Kinds scripts see as objects of their own; the others are addressed through their clip.
bool Scriptable(CharacterKind kind) {
  return kind == CharacterKind::kSprite || kind == CharacterKind::kEditText || kind == CharacterKind::kButton ||
         kind == CharacterKind::kVideo;
}

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
  if (v.IsObject()) return FrameOf(vm, in, Value(vm.ToString(v)));  // a label or number as text
  double number = 0;
  if (v.IsString()) {
    if (const auto label = in.timeline->FindLabel(v.AsString())) return *label;
    number = TextToNumber(v.AsString());
  } else {
    number = vm.ToNumber(v);
  }
  if (std::isnan(number)) return std::nullopt;
  // Frame numbers wrap as 32-bit integers; one before the first goes nowhere, past the last
  // goes to the last.
  const int32_t index = static_cast<int32_t>(static_cast<uint32_t>(ToInt32(number)) - 1u);
  if (index < 0) return std::nullopt;
  return std::min(static_cast<size_t>(index), in.FrameCount() - 1);
}

template <bool Play>
Value GotoAnd(Vm& vm, const Value& self, std::span<const Value> args) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  if (!in) return Value();
  Value where = Arg(args, 0);
  // "path:frame": a frame of the timeline the path names.
  if (where.IsString()) {
    const std::u16string text = where.AsString();
    const size_t colon = text.rfind(u':');
    if (colon != std::u16string::npos) {
      const std::u16string_view path = std::u16string_view(text).substr(0, colon);
      Instance* named = path.empty() ? in : in->FindByPath(path, vm.heap().caseSensitive());
      if (!named) return Value();
      clip = static_cast<ClipObject*>(clip->player().ObjectFor(*named));
      in = named;
      where = Value(text.substr(colon + 1));
    }
  }
  if (const auto frame = FrameOf(vm, *in, where)) clip->player().ShowFrame(*in, *frame);
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

// Depths scripts may use, as getDepth counts them; outside these nothing is made.
constexpr double kLowestScriptDepth = -16384;
constexpr double kHighestScriptDepth = 2130690044;

// A depth argument as stored, or nothing when it is no number or out of range.
std::optional<int32_t> StoredDepth(Vm& vm, const Value& v) {
  const double d = vm.ToNumber(v);
  if (std::isnan(d) || d < kLowestScriptDepth || d > kHighestScriptDepth) return std::nullopt;
  return static_cast<int32_t>(std::trunc(d)) + kScriptDepthOffset;
}

// Copies the enumerable properties of an initialisation object onto a new clip.
Value Initialised(Vm& vm, Player& player, Instance* made, const Value& init) {
  if (!made) return Value();
  const Value object(player.ObjectFor(*made));
  if (Object* from = init.ObjectOrNull()) {
    for (const std::u16string& name : vm.EnumerableNames(from)) vm.SetMember(object, name, vm.GetMember(init, name));
  }
  return object;
}

Value AttachMovie(Vm& vm, const Value& self, std::span<const Value> args) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  if (!in || !in->movie || !in->HasTimeline()) return Value();
  const auto depth = StoredDepth(vm, Arg(args, 2));
  const auto id = in->movie->FindExport(vm.ToString(Arg(args, 0)));
  if (!depth || !id) return Value();
  Instance* made = clip->player().CreateInstance(*in, *depth, *id, vm.ToString(Arg(args, 1)));
  const Value object = Initialised(vm, clip->player(), made, Arg(args, 3));
  // A class registered for the symbol gives the clip its prototype and constructs it; buttons
  // stay buttons.
  const bool button = made && made->kind == CharacterKind::kButton;
  if (Property* registered = button ? nullptr : RegisteredClasses(vm)->FindOwn(vm.ToString(Arg(args, 0)))) {
    const Value constructor = registered->value;
    const Value prototype = vm.GetMember(constructor, u"prototype");
    if (object.IsObject() && prototype.IsObject()) {
      object.AsObject()->SetProto(prototype.AsObject());
      vm.Call(constructor, object, {});
    }
  }
  return object;
}

Value CreateEmptyMovieClip(Vm& vm, const Value& self, std::span<const Value> args) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  const auto depth = StoredDepth(vm, Arg(args, 1));
  if (!in || !in->HasTimeline() || !depth) return Value();
  Instance* made = DisplayTreeEditor::CreateEmpty(clip->player(), *in, *depth, vm.ToString(Arg(args, 0)));
  return made ? Value(clip->player().ObjectFor(*made)) : Value();
}

// createTextField(name, depth, x, y, width, height): an empty field; it returns nothing.
Value CreateTextField(Vm& vm, const Value& self, std::span<const Value> args) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  const auto depth = StoredDepth(vm, Arg(args, 1));
  if (!in || !in->HasTimeline() || !depth) return Value();
  auto twips = [&](size_t i) {
    const double n = vm.ToNumber(Arg(args, i)) * kTwips;
    return std::isfinite(n) ? static_cast<int32_t>(std::clamp(n, -1e9, 1e9)) : 0;
  };
  DisplayTreeEditor::CreateField(clip->player(), *in, *depth, vm.ToString(Arg(args, 0)), twips(2), twips(3),
                                 std::max(0, twips(4)), std::max(0, twips(5)));
  return Value();
}

Value DuplicateMovieClip(Vm& vm, const Value& self, std::span<const Value> args) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  const auto depth = StoredDepth(vm, Arg(args, 1));
  if (!in || !in->parent || !depth) return Value();
  Instance* made = DisplayTreeEditor::Duplicate(clip->player(), *in, *depth, vm.ToString(Arg(args, 0)));
  return Initialised(vm, clip->player(), made, Arg(args, 2));
}

Value RemoveMovieClip(Vm&, const Value& self, std::span<const Value>) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  // Only what stands at a script's depth can go; timeline objects must be moved there first.
  if (in && in->parent && in->depth >= kScriptDepthOffset) clip->player().RemoveInstance(*in);
  return Value();
}

Value SwapDepths(Vm& vm, const Value& self, std::span<const Value> args) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  if (!in || !in->parent) return Value();
  std::optional<int32_t> depth;
  if (ClipObject* other = SelfClip(Arg(args, 0))) {
    Instance* target = other->instance();
    if (!target || target->parent != in->parent) return Value();
    depth = target->depth;
  } else {
    depth = StoredDepth(vm, Arg(args, 0));
  }
  if (depth) DisplayTreeEditor::SwapDepth(clip->player(), *in, *depth);
  return Value();
}

Value InstanceAtDepth(Vm& vm, const Value& self, std::span<const Value> args) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  const auto depth = StoredDepth(vm, Arg(args, 0));
  if (!in || !depth) return Value();
  Instance* child = in->ChildAt(*depth);
  if (!child || child->kind == CharacterKind::kShape) return child ? Value(clip->player().ObjectFor(*in)) : Value();
  return Value(clip->player().ObjectFor(*child));
}

// The matrix from `in`'s space to that of `space` (an ancestor, or the root's when null).
Matrix ToSpaceOf(const Instance* in, const Instance* space) {
  Matrix m;
  for (const Instance* at = in; at && at != space && at->parent; at = at->parent) m = m.Then(at->matrix);
  return m;
}

Value GetBounds(Vm& vm, const Value& self, std::span<const Value> args) {
  Instance* in = SelfInstance(self);
  if (!in) return Value();
  const Instance* space = in;
  if (ClipObject* other = SelfClip(Arg(args, 0))) space = other->instance();
  // Into the root's space, then back down into the one asked for.
  Matrix toRoot = ToSpaceOf(in, nullptr);
  Matrix fromRoot = ToSpaceOf(space, nullptr);
  const double det = fromRoot.a * fromRoot.d - fromRoot.b * fromRoot.c;
  Matrix inverse;
  if (det != 0) {
    inverse = {fromRoot.d / det, -fromRoot.b / det, -fromRoot.c / det, fromRoot.a / det, 0, 0};
    inverse.tx = -(inverse.a * fromRoot.tx + inverse.c * fromRoot.ty);
    inverse.ty = -(inverse.b * fromRoot.tx + inverse.d * fromRoot.ty);
  }
  const auto extent = ContentExtent(*in, toRoot.Then(inverse));
  Object* result = vm.NewObject();
  const Extent e = extent.value_or(Extent{6710886.35 * kTwips, 6710886.35 * kTwips, 6710886.35 * kTwips, 6710886.35 * kTwips});
  result->SetOwn(u"xMin", e.xMin / kTwips);
  result->SetOwn(u"xMax", e.xMax / kTwips);
  result->SetOwn(u"yMin", e.yMin / kTwips);
  result->SetOwn(u"yMax", e.yMax / kTwips);
  return Value(result);
}

Value HitTest(Vm& vm, const Value& self, std::span<const Value> args) {
  Instance* in = SelfInstance(self);
  if (!in) return Value(false);
  const auto mine = ContentExtent(*in, ToSpaceOf(in, nullptr));
  if (!mine) return Value(false);
  if (ClipObject* other = SelfClip(Arg(args, 0))) {
    Instance* target = other->instance();
    const auto theirs = target ? ContentExtent(*target, ToSpaceOf(target, nullptr)) : std::nullopt;
    return Value(theirs && theirs->xMin <= mine->xMax && mine->xMin <= theirs->xMax && theirs->yMin <= mine->yMax &&
                 mine->yMin <= theirs->yMax);
  }
  const double x = vm.ToNumber(Arg(args, 0)) * kTwips, y = vm.ToNumber(Arg(args, 1)) * kTwips;
  return Value(x >= mine->xMin && x <= mine->xMax && y >= mine->yMin && y <= mine->yMax);
}

Value SetMask(Vm&, const Value& self, std::span<const Value> args) {
  ClipObject* clip = SelfClip(self);
  Instance* in = SelfInstance(self);
  if (!in) return Value(false);
  ClipObject* mask = SelfClip(Arg(args, 0));
  Instance* maskInstance = mask ? mask->instance() : nullptr;
  in->scriptMask = maskInstance ? maskInstance->serial : 0;
  clip->player().MarkRedraw();
  return Value(true);
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
  if (in->textField && GetTextFieldProperty(vm, *in, name, out)) return true;
  if (in->kind == CharacterKind::kButton && name == u"enabled") {
    out = in->enabled;
    return true;
  }
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
    else if (name == u"_width" || name == u"_height") {
      const auto e = ContentExtent(*in, in->matrix);
      out = e ? (name == u"_width" ? e->Width() : e->Height()) / kTwips : 0.0;
    }
    else if (name == u"_url") out = Value(u"");
    else if (name == u"_xmouse" || name == u"_ymouse") {
      const Point local = player_.MouseIn(*in);
      out = (name == u"_xmouse" ? local.x : local.y) / kTwips;
    }
    else if (name == u"_highquality") out = 1.0;
    else if (name == u"_quality") out = Value(u"HIGH");
    else if (name == u"_focusrect") out = player_.ShowsFocusRect(*in);
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
  if (!child) return false;
  // What scripts cannot address on its own (a shape, static text) stands for its clip.
  out = Value(player_.ObjectFor(Scriptable(child->kind) ? *child : in));
  return true;
}

void ClipObject::OwnKeys(std::vector<std::u16string>& out, bool includeHidden) const {
  Object::OwnKeys(out, includeHidden);
  const Instance* in = instance();
  if (!in) return;
  for (auto it = in->children.rbegin(); it != in->children.rend(); ++it) {
    if (!it->second.name.empty()) out.push_back(it->second.name);
  }
}

bool ClipObject::SetSpecial(Vm& vm, std::u16string_view name, const Value& value) {
  Instance* in = instance();
  if (in && in->textField && SetTextFieldProperty(vm, *in, name, value)) {
    player_.MarkRedraw();
    return true;
  }
  if (in && in->kind == CharacterKind::kButton && name == u"enabled") {
    in->enabled = vm.ToBool(value);
    return true;
  }
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
  } else if (name == u"_width" || name == u"_height") {
    const bool wide = name == u"_width";
    const auto e = ContentExtent(*in, in->matrix);
    const double now = e ? (wide ? e->Width() : e->Height()) / kTwips : 0;
    if (number && now > 0 && n >= 0) {
      const double sx = ScaleX(m), sy = ScaleY(m);
      SetScaleRotation(m, wide ? sx * n / now : sx, wide ? sy : sy * n / now, Rotation(m));
    }
  } else if (name == u"_visible") {
    in->visible = vm.ToBool(value);
  } else if (name == u"_name") {
    in->name = vm.ToString(value);
  } else if (name == u"_focusrect") {
    // A flag given as a number; text that is no number leaves it as it was.
    const double flag = value.IsString() ? TextToNumber(value.AsString()) : n;
    if (value.IsBool()) in->focusRect = value.AsBool();
    else if (!std::isnan(flag)) in->focusRect = flag != 0;
  } else if (name == u"_currentframe" || name == u"_totalframes" || name == u"_framesloaded" || name == u"_target" ||
             name == u"_parent" || name == u"_root" || name == u"_url" || name == u"_xmouse" || name == u"_ymouse" ||
             name == u"_droptarget") {
    // read-only, or not kept
  } else {
    return false;
  }
  player_.MarkRedraw();
  return true;
}

void InstallButton(Vm& vm) {
  Object* proto = vm.heap().Make();
  proto->SetProto(vm.objectProto);
  vm.buttonProto = proto;
  MakeConstructor(vm, u"Button", Nothing, nullptr, proto);
  vm.Method(proto, u"getDepth", GetDepth);
  vm.Method(proto, u"toString", ClipToString);

  Object* video = vm.heap().Make();
  video->SetProto(vm.objectProto);
  vm.videoProto = video;
  MakeConstructor(vm, u"Video", Nothing, nullptr, video);
  vm.Method(video, u"toString", ClipToString);
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
  InstallTextField(vm);
  // A field goes and tells its depth as a clip does.
  vm.Method(vm.textFieldProto, u"removeTextField", RemoveMovieClip);
  vm.Method(vm.textFieldProto, u"getDepth", GetDepth);
  InstallButton(vm);
  InstallClipDrawing(vm);
  vm.Method(proto, u"attachMovie", AttachMovie);
  vm.Method(proto, u"createEmptyMovieClip", CreateEmptyMovieClip);
  vm.Method(proto, u"createTextField", CreateTextField);
  vm.Method(proto, u"duplicateMovieClip", DuplicateMovieClip);
  vm.Method(proto, u"removeMovieClip", RemoveMovieClip);
  vm.Method(proto, u"swapDepths", SwapDepths);
  vm.Method(proto, u"getInstanceAtDepth", InstanceAtDepth);
  vm.Method(proto, u"getBounds", GetBounds);
  vm.Method(proto, u"hitTest", HitTest);
  vm.Method(proto, u"setMask", SetMask);
  for (std::u16string_view name : {u"startDrag", u"stopDrag", u"loadMovie", u"unloadMovie", u"getURL"}) {
    vm.Method(proto, name, Nothing);
  }
}

}  // namespace zp::swf
