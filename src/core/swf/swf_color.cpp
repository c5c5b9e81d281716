// The Color object: a handle on a clip's colour transform. Scripts read and replace the
// transform as percentages and offsets (getTransform / setTransform) or tint the clip with one
// colour (setRGB); the clip is looked up on each call, so a Color outlives its clip harmlessly.
#include <cmath>
#include <cstdint>
#include <string>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_clip.h"
#include "core/swf/swf_display.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_vm.h"

namespace zp::swf {
namespace {

// A multiplier of the transform is 8.8 fixed point; scripts see it as a percentage.
constexpr double kFullMultiplier = 256;

// The clip a Color acts on: its target, a clip or a path from the root.
Instance* TargetOf(Vm& vm, const Value& self) {
  const Value target = vm.GetMember(self, u"target");
  if (auto* clip = dynamic_cast<ClipObject*>(target.ObjectOrNull())) return clip->instance();
  auto* root = dynamic_cast<ClipObject*>(vm.root());
  if (!root || target.IsUndefined() || target.IsNull() || target.IsObject()) return nullptr;
  const std::u16string path = vm.ToString(target);
  if (path.empty()) return nullptr;
  return root->player().root().FindByPath(path, vm.heap().caseSensitive());
}

// Scripts' numbers kept as the transform's 16-bit fields keep them.
int32_t Field(double n) {
  if (!std::isfinite(n)) return 0;
  return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int64_t>(std::fmod(std::trunc(n), 65536.0))));
}

Value ColorConstruct(Vm& vm, const Value&, std::span<const Value> args) {
  Object* o = vm.heap().Make();
  o->SetProto(vm.GetMember(vm.GetMember(Value(vm.global()), u"Color"), u"prototype").ObjectOrNull());
  o->Define(u"target", Arg(args, 0));
  return Value(o);
}

Value GetRgb(Vm& vm, const Value& self, std::span<const Value>) {
  const Instance* in = TargetOf(vm, self);
  if (!in) return Value();
  const ColorTransform& c = in->colorTransform;
  // Offsets outside 0..255 spill into their neighbours, as the plain sum of shifts gives.
  return Value(static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(c.rAdd) << 16 |
                                                        static_cast<uint32_t>(c.gAdd) << 8 |
                                                        static_cast<uint32_t>(c.bAdd))));
}

Value SetRgb(Vm& vm, const Value& self, std::span<const Value> args) {
  Instance* in = TargetOf(vm, self);
  if (!in || args.empty()) return Value();
  const uint32_t rgb = static_cast<uint32_t>(ToInt32(vm.ToNumber(args[0])));
  ColorTransform& c = in->colorTransform;
  c.rMult = c.gMult = c.bMult = 0;
  c.rAdd = rgb >> 16 & 0xFF;
  c.gAdd = rgb >> 8 & 0xFF;
  c.bAdd = rgb & 0xFF;
  auto* root = dynamic_cast<ClipObject*>(vm.root());
  if (root) root->player().MarkRedraw();
  return Value();
}

struct Channel {
  const char16_t* multiplier;
  const char16_t* offset;
  int32_t ColorTransform::*mult;
  int32_t ColorTransform::*add;
};
constexpr Channel kChannels[] = {
    {u"ra", u"rb", &ColorTransform::rMult, &ColorTransform::rAdd},
    {u"ga", u"gb", &ColorTransform::gMult, &ColorTransform::gAdd},
    {u"ba", u"bb", &ColorTransform::bMult, &ColorTransform::bAdd},
    {u"aa", u"ab", &ColorTransform::aMult, &ColorTransform::aAdd},
};

Value GetTransform(Vm& vm, const Value& self, std::span<const Value>) {
  const Instance* in = TargetOf(vm, self);
  if (!in) return Value();
  Object* o = vm.heap().Make();
  o->SetProto(vm.objectProto);
  for (const Channel& ch : kChannels) {
    o->SetOwn(ch.multiplier, Value(in->colorTransform.*ch.mult * 100 / kFullMultiplier));
    o->SetOwn(ch.offset, Value(static_cast<double>(in->colorTransform.*ch.add)));
  }
  return Value(o);
}

// Only the fields the object has of its own change; what its prototypes hold is not read.
Value SetTransform(Vm& vm, const Value& self, std::span<const Value> args) {
  Instance* in = TargetOf(vm, self);
  const Value from = Arg(args, 0);
  Object* o = from.ObjectOrNull();
  if (!in || !o) return Value();
  for (const Channel& ch : kChannels) {
    if (o->FindOwn(ch.multiplier)) {
      in->colorTransform.*ch.mult = Field(vm.ToNumber(vm.GetMember(from, ch.multiplier)) * kFullMultiplier / 100);
    }
    if (o->FindOwn(ch.offset)) in->colorTransform.*ch.add = Field(vm.ToNumber(vm.GetMember(from, ch.offset)));
  }
  auto* root = dynamic_cast<ClipObject*>(vm.root());
  if (root) root->player().MarkRedraw();
  return Value();
}

}  // namespace

void InstallColor(Vm& vm) {
  Object* proto = vm.heap().Make();
  proto->SetProto(vm.objectProto);
  MakeConstructor(vm, u"Color", ColorConstruct, ColorConstruct, proto);
  vm.Method(proto, u"getRGB", GetRgb);
  vm.Method(proto, u"setRGB", SetRgb);
  vm.Method(proto, u"getTransform", GetTransform);
  vm.Method(proto, u"setTransform", SetTransform);
}

}  // namespace zp::swf
