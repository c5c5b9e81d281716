// String and its methods. Methods work on a primitive string or a String object alike.
#include <algorithm>
#include <cmath>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_vm.h"

namespace zp::swf {
namespace {

std::u16string SelfText(Vm& vm, const Value& self) {
  if (self.IsString()) return self.AsString();
  const Object* o = self.ObjectOrNull();
  if (o && o->kind() == ObjectKind::kString) return o->primitive.ToString(vm.version());
  return vm.ToString(self);
}

// A position argument as an index within 0..length.
size_t Position(Vm& vm, const Value& v, size_t length, size_t fallback) {
  if (v.IsUndefined()) return fallback;
  const double d = vm.ToNumber(v);
  if (std::isnan(d) || d < 0) return 0;
  return static_cast<size_t>(std::min(std::trunc(d), static_cast<double>(length)));
}

Value StringCall(Vm& vm, const Value&, std::span<const Value> args) {
  return Value(args.empty() ? std::u16string() : vm.ToString(args[0]));
}

Value StringConstruct(Vm& vm, const Value&, std::span<const Value> args) {
  Object* o = vm.heap().Make(ObjectKind::kString);
  o->SetProto(vm.stringProto);
  o->primitive = Value(args.empty() ? std::u16string() : vm.ToString(args[0]));
  o->Define(u"length", Value(static_cast<double>(o->primitive.AsString().size())), kDontEnum | kReadOnly);
  return Value(o);
}

Value ToStringMethod(Vm& vm, const Value& self, std::span<const Value>) { return Value(SelfText(vm, self)); }

Value CharAt(Vm& vm, const Value& self, std::span<const Value> args) {
  const std::u16string s = SelfText(vm, self);
  const double i = vm.ToNumber(Arg(args, 0));
  if (std::isnan(i) || i < 0 || i >= static_cast<double>(s.size())) return Value(u"");
  return Value(std::u16string(1, s[static_cast<size_t>(i)]));
}

Value CharCodeAt(Vm& vm, const Value& self, std::span<const Value> args) {
  const std::u16string s = SelfText(vm, self);
  const double i = vm.ToNumber(Arg(args, 0));
  if (std::isnan(i) || i < 0 || i >= static_cast<double>(s.size())) return Value(std::nan(""));
  return Value(static_cast<double>(s[static_cast<size_t>(i)]));
}

Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
  std::u16string s = SelfText(vm, self);
  for (const auto& a : args) {
    s += vm.ToString(a);
    if (!vm.CheckStringLength(s.size())) return Value();
  }
  return Value(std::move(s));
}

Value IndexOf(Vm& vm, const Value& self, std::span<const Value> args) {
  const std::u16string s = SelfText(vm, self);
  const std::u16string what = vm.ToString(Arg(args, 0));
  const size_t from = Position(vm, Arg(args, 1), s.size(), 0);
  const size_t at = s.find(what, from);
  return Value(at == std::u16string::npos ? -1.0 : static_cast<double>(at));
}

Value LastIndexOf(Vm& vm, const Value& self, std::span<const Value> args) {
  const std::u16string s = SelfText(vm, self);
  const std::u16string what = vm.ToString(Arg(args, 0));
  const size_t from = Position(vm, Arg(args, 1), s.size(), s.size());
  const size_t at = s.rfind(what, from);
  return Value(at == std::u16string::npos ? -1.0 : static_cast<double>(at));
}

Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
  const std::u16string s = SelfText(vm, self);
  const auto index = [&](const Value& v, size_t fallback) -> size_t {
    if (v.IsUndefined()) return fallback;
    double d = vm.ToNumber(v);
    if (std::isnan(d)) return 0;
    d = std::trunc(d);
    if (d < 0) d += static_cast<double>(s.size());
    return static_cast<size_t>(std::clamp(d, 0.0, static_cast<double>(s.size())));
  };
  const size_t from = index(Arg(args, 0), 0);
  const size_t to = index(Arg(args, 1), s.size());
  return Value(to > from ? s.substr(from, to - from) : std::u16string());
}

Value Substring(Vm& vm, const Value& self, std::span<const Value> args) {
  const std::u16string s = SelfText(vm, self);
  size_t from = Position(vm, Arg(args, 0), s.size(), 0);
  size_t to = Position(vm, Arg(args, 1), s.size(), s.size());
  if (from > to) std::swap(from, to);
  return Value(s.substr(from, to - from));
}

Value Substr(Vm& vm, const Value& self, std::span<const Value> args) {
  const std::u16string s = SelfText(vm, self);
  double start = vm.ToNumber(Arg(args, 0));
  if (std::isnan(start)) start = 0;
  start = std::trunc(start);
  if (start < 0) start = std::max(0.0, start + static_cast<double>(s.size()));
  start = std::min(start, static_cast<double>(s.size()));
  double count = Arg(args, 1).IsUndefined() ? static_cast<double>(s.size()) : vm.ToNumber(args[1]);
  if (std::isnan(count) || count < 0) count = 0;
  count = std::min(std::trunc(count), static_cast<double>(s.size()) - start);
  return Value(s.substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

Value Split(Vm& vm, const Value& self, std::span<const Value> args) {
  const std::u16string s = SelfText(vm, self);
  std::vector<Value> parts;
  if (Arg(args, 0).IsUndefined()) {
    parts.push_back(Value(s));
  } else {
    const std::u16string separator = vm.ToString(args[0]);
    const double limitValue = Arg(args, 1).IsUndefined() ? 4294967295.0 : vm.ToNumber(args[1]);
    const size_t limit = std::isnan(limitValue) || limitValue < 0
                             ? 0
                             : static_cast<size_t>(std::min(limitValue, static_cast<double>(vm.budget().arrayLength) + 1));
    if (separator.empty()) {
      for (size_t i = 0; i < s.size() && parts.size() < limit; ++i) parts.push_back(Value(std::u16string(1, s[i])));
    } else {
      size_t start = 0;
      while (parts.size() < limit) {
        const size_t at = s.find(separator, start);
        if (at == std::u16string::npos) {
          parts.push_back(Value(s.substr(start)));
          break;
        }
        parts.push_back(Value(s.substr(start, at - start)));
        start = at + separator.size();
      }
    }
  }
  if (!vm.CheckArrayLength(static_cast<double>(parts.size()))) return Value();
  return Value(static_cast<Object*>(vm.NewArray(std::move(parts))));
}

Value ToLowerCase(Vm& vm, const Value& self, std::span<const Value>) {
  std::u16string s = SelfText(vm, self);
  for (auto& c : s) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) c = static_cast<char16_t>(c + 32);
  }
  return Value(std::move(s));
}

Value ToUpperCase(Vm& vm, const Value& self, std::span<const Value>) {
  std::u16string s = SelfText(vm, self);
  for (auto& c : s) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c = static_cast<char16_t>(c - 32);
  }
  return Value(std::move(s));
}

Value FromCharCode(Vm& vm, const Value&, std::span<const Value> args) {
  std::u16string s;
  for (const auto& a : args) s.push_back(static_cast<char16_t>(ToInt32(vm.ToNumber(a)) & 0xFFFF));
  return Value(std::move(s));
}

}  // namespace

void InstallString(Vm& vm) {
  Object* string = MakeConstructor(vm, u"String", StringCall, StringConstruct, vm.stringProto);
  vm.Method(string, u"fromCharCode", FromCharCode);
  Object* p = vm.stringProto;
  vm.Method(p, u"toString", ToStringMethod);
  vm.Method(p, u"valueOf", ToStringMethod);
  vm.Method(p, u"charAt", CharAt);
  vm.Method(p, u"charCodeAt", CharCodeAt);
  vm.Method(p, u"concat", Concat);
  vm.Method(p, u"indexOf", IndexOf);
  vm.Method(p, u"lastIndexOf", LastIndexOf);
  vm.Method(p, u"slice", Slice);
  vm.Method(p, u"substring", Substring);
  vm.Method(p, u"substr", Substr);
  vm.Method(p, u"split", Split);
  vm.Method(p, u"toLowerCase", ToLowerCase);
  vm.Method(p, u"toUpperCase", ToUpperCase);
}

}  // namespace zp::swf
