// Object, Function, Boolean, Number, Math and the global functions. Array, String and Date
// have files of their own.
#include <cmath>
#include <limits>
#include <numbers>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_clip.h"
#include "core/swf/swf_vm.h"
#include "core/text.h"

namespace zp::swf {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// ---- Object --------------------------------------------------------------------------------

Value ObjectCall(Vm& vm, const Value&, std::span<const Value> args) {
  const Value v = Arg(args, 0);
  if (v.IsObject()) return v;
  return Value(vm.NewObject());
}

Value ObjectToString(Vm&, const Value& self, std::span<const Value>) {
  const Object* o = self.ObjectOrNull();
  if (o && o->kind() == ObjectKind::kFunction) return Value(u"[type Function]");
  return Value(u"[object Object]");
}

Value ObjectValueOf(Vm&, const Value& self, std::span<const Value>) { return self; }

Value HasOwnProperty(Vm& vm, const Value& self, std::span<const Value> args) {
  Object* o = self.ObjectOrNull();
  if (!o) return Value(false);
  const std::u16string name = vm.ToString(Arg(args, 0));
  Value special;
  return Value(o->FindOwn(name) != nullptr || o->GetSpecial(vm, name, special));
}

Value IsPropertyEnumerable(Vm& vm, const Value& self, std::span<const Value> args) {
  Object* o = self.ObjectOrNull();
  if (!o) return Value(false);
  const Property* p = o->FindOwn(vm.ToString(Arg(args, 0)));
  return Value(p && !(p->flags & kDontEnum));
}

Value IsPrototypeOf(Vm&, const Value& self, std::span<const Value> args) {
  Object* proto = self.ObjectOrNull();
  Object* o = Arg(args, 0).ObjectOrNull();
  for (Object* p = o ? o->proto() : nullptr; p && proto; p = p->proto()) {
    if (p == proto) return Value(true);
  }
  return Value(false);
}

Value AddProperty(Vm& vm, const Value& self, std::span<const Value> args) {
  Object* o = self.ObjectOrNull();
  const std::u16string name = vm.ToString(Arg(args, 0));
  Object* getter = Arg(args, 1).ObjectOrNull();
  Object* setter = Arg(args, 2).ObjectOrNull();
  if (!o || name.empty() || !getter || getter->kind() != ObjectKind::kFunction) return Value(false);
  o->Define(name, Value(), 0);
  Property* p = o->FindOwn(name);
  p->getter = getter;
  p->setter = setter && setter->kind() == ObjectKind::kFunction ? setter : nullptr;
  return Value(true);
}

Value RegisterClass(Vm& vm, const Value&, std::span<const Value> args) {
  const std::u16string name = vm.ToString(Arg(args, 0));
  Object* registry = RegisteredClasses(vm);
  if (name.empty()) return Value(false);
  if (Arg(args, 1).IsObject()) {
    registry->SetOwn(name, Arg(args, 1));
  } else {
    registry->DeleteOwn(name);
  }
  return Value(true);
}

// ASSetPropFlags(object, names, set, clear): names is null (all), an array or a comma list.
Value SetPropFlags(Vm& vm, const Value&, std::span<const Value> args) {
  Object* o = Arg(args, 0).ObjectOrNull();
  if (!o) return Value();
  std::vector<std::u16string> names;
  const Value list = Arg(args, 1);
  if (list.IsNull()) {
    o->OwnKeys(names, true);
  } else if (auto* a = dynamic_cast<ArrayObject*>(list.ObjectOrNull())) {
    for (const auto& v : a->elements) names.push_back(vm.ToString(v));
  } else {
    const std::u16string text = vm.ToString(list);
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
      if (i == text.size() || text[i] == u',') {
        if (i > start) names.push_back(text.substr(start, i - start));
        start = i + 1;
      }
    }
  }
  const int32_t set = ToInt32(vm.ToNumber(Arg(args, 2)));
  const int32_t clear = args.size() > 3 ? ToInt32(vm.ToNumber(args[3])) : 0;
  for (const auto& name : names) {
    if (Property* p = o->FindOwn(name)) p->flags = static_cast<uint8_t>((p->flags & ~clear) | set) & 7;
  }
  return Value();
}

// ---- Function ------------------------------------------------------------------------------

Value FunctionCall(Vm& vm, const Value& self, std::span<const Value> args) {
  const Value thisArg = Arg(args, 0);
  return vm.Call(self, thisArg.IsNullish() ? Value() : thisArg, args.empty() ? args : args.subspan(1));
}

Value FunctionApply(Vm& vm, const Value& self, std::span<const Value> args) {
  const Value thisArg = Arg(args, 0);
  std::vector<Value> list;
  if (auto* a = dynamic_cast<ArrayObject*>(Arg(args, 1).ObjectOrNull())) list = a->elements;
  return vm.Call(self, thisArg.IsNullish() ? Value() : thisArg, list);
}

// ---- Boolean and Number --------------------------------------------------------------------

Value Wrapper(Vm& vm, ObjectKind kind, Object* proto, Value primitive) {
  Object* o = vm.heap().Make(kind);
  o->SetProto(proto);
  o->primitive = std::move(primitive);
  return Value(o);
}

Value BooleanCall(Vm& vm, const Value&, std::span<const Value> args) { return Value(vm.ToBool(Arg(args, 0))); }
Value BooleanConstruct(Vm& vm, const Value&, std::span<const Value> args) {
  return Wrapper(vm, ObjectKind::kBoolean, vm.booleanProto, Value(vm.ToBool(Arg(args, 0))));
}
Value PrimitiveOf(const Value& self) {
  const Object* o = self.ObjectOrNull();
  return o ? o->primitive : self;
}
Value BooleanToString(Vm& vm, const Value& self, std::span<const Value>) {
  return Value(PrimitiveOf(self).ToString(vm.version()));
}
Value PrimitiveValueOf(Vm&, const Value& self, std::span<const Value>) { return PrimitiveOf(self); }

Value NumberCall(Vm& vm, const Value&, std::span<const Value> args) {
  return Value(args.empty() ? 0.0 : vm.ToNumber(args[0]));
}
Value NumberConstruct(Vm& vm, const Value&, std::span<const Value> args) {
  return Wrapper(vm, ObjectKind::kNumber, vm.numberProto, Value(args.empty() ? 0.0 : vm.ToNumber(args[0])));
}
Value NumberToString(Vm& vm, const Value& self, std::span<const Value> args) {
  const Value p = PrimitiveOf(self);
  const double n = p.IsNumber() ? p.AsNumber() : vm.ToNumber(p);
  const double radix = args.empty() || args[0].IsUndefined() ? 10 : vm.ToNumber(args[0]);
  return Value(NumberToRadixText(n, std::isnan(radix) ? 10 : static_cast<int>(radix)));
}

// ---- Math ----------------------------------------------------------------------------------

// The first two arguments convert (a valueOf may have effects) even where the function reads
// only one, as movies see it; later ones are left alone.
std::vector<double> Numbers(Vm& vm, std::span<const Value> args, size_t at_least) {
  std::vector<double> out;
  for (size_t i = 0; i < args.size() && i < 2; ++i) out.push_back(vm.ToNumber(args[i]));
  while (out.size() < at_least) out.push_back(kNaN);
  return out;
}

template <double (*F)(double)>
Value Math1(Vm& vm, const Value&, std::span<const Value> args) {
  return Value(F(Numbers(vm, args, 1)[0]));
}
double Round(double x) { return std::floor(x + 0.5); }
double Abs(double x) { return std::fabs(x); }

Value MathAtan2(Vm& vm, const Value&, std::span<const Value> args) {
  const auto n = Numbers(vm, args, 2);
  return Value(std::atan2(n[0], n[1]));
}
Value MathPow(Vm& vm, const Value&, std::span<const Value> args) {
  const auto n = Numbers(vm, args, 2);
  return Value(std::pow(n[0], n[1]));
}
Value MathMinMax(Vm& vm, std::span<const Value> args, bool max) {
  double r = max ? -INFINITY : INFINITY;
  // One argument is compared with a missing second one, which is NaN.
  if (args.size() == 1) {
    vm.ToNumber(args[0]);
    return Value(kNaN);
  }
  for (const double v : Numbers(vm, args, 0)) {
    if (std::isnan(v)) return Value(kNaN);
    if (max ? v > r : v < r) r = v;
  }
  return Value(r);
}
Value MathMax(Vm& vm, const Value&, std::span<const Value> args) { return MathMinMax(vm, args, true); }
Value MathMin(Vm& vm, const Value&, std::span<const Value> args) { return MathMinMax(vm, args, false); }
Value MathRandom(Vm& vm, const Value&, std::span<const Value> args) {
  Numbers(vm, args, 0);
  return Value(vm.Random());
}

// A Math entry of the native table that names no function: its arguments convert as any
// Math function's do, and it gives NaN.
Value MathUnknown(Vm& vm, const Value&, std::span<const Value> args) {
  Numbers(vm, args, 0);
  return Value(kNaN);
}

// ASnative(200, n): the Math functions by their index in the native table.
constexpr uint32_t kMathNatives = 200;
constexpr NativeFunction kMathByIndex[] = {
    Math1<Abs>, MathMin,  MathMax,          Math1<std::sin>,   Math1<std::cos>,   MathAtan2,
    Math1<std::tan>, Math1<std::exp>, Math1<std::log>, Math1<std::sqrt>, Math1<Round>, MathRandom,
    Math1<std::floor>, Math1<std::ceil>, Math1<std::atan>, Math1<std::asin>, Math1<std::acos>, MathPow};

// ---- global functions ----------------------------------------------------------------------

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'z') return c - u'a' + 10;
  if (c >= u'A' && c <= u'Z') return c - u'A' + 10;
  return 99;
}

Value ParseInt(Vm& vm, const Value&, std::span<const Value> args) {
  const std::u16string text = vm.ToString(Arg(args, 0));
  std::u16string_view s = TrimWhiteSpace(text);
  int radix = args.size() > 1 && !args[1].IsUndefined() ? ToInt32(vm.ToNumber(args[1])) : 0;
  bool negative = false;
  if (!s.empty() && (s[0] == u'-' || s[0] == u'+')) {
    negative = s[0] == u'-';
    s.remove_prefix(1);
  }
  if ((radix == 0 || radix == 16) && s.size() >= 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) {
    radix = 16;
    s.remove_prefix(2);
  } else if (radix == 0 && s.size() > 1 && s[0] == u'0') {
    radix = 8;  // a leading zero means octal, as movies read it
  }
  if (radix == 0) radix = 10;
  if (radix < 2 || radix > 36) return Value(kNaN);
  double v = 0;
  size_t used = 0;
  for (char16_t c : s) {
    const int d = DigitValue(c);
    if (d >= radix) break;
    v = v * radix + d;
    ++used;
  }
  if (used == 0) return Value(kNaN);
  return Value(negative ? -v : v);
}

Value ParseFloat(Vm& vm, const Value&, std::span<const Value> args) {
  const std::u16string text = vm.ToString(Arg(args, 0));
  const std::u16string_view s = TrimWhiteSpace(text);
  // The longest prefix that reads as a decimal number.
  size_t i = 0;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) ++i;
  size_t digits = 0;
  while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') ++i, ++digits;
  if (i < s.size() && s[i] == u'.') {
    ++i;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') ++i, ++digits;
  }
  if (digits == 0) return Value(kNaN);
  if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == u'-' || s[j] == u'+')) ++j;
    if (j < s.size() && s[j] >= u'0' && s[j] <= u'9') {
      while (j < s.size() && s[j] >= u'0' && s[j] <= u'9') ++j;
      i = j;
    }
  }
  std::string narrow;
  for (size_t k = 0; k < i; ++k) narrow.push_back(static_cast<char>(s[k]));
  return Value(std::strtod(narrow.c_str(), nullptr));
}

Value IsNaN(Vm& vm, const Value&, std::span<const Value> args) { return Value(std::isnan(vm.ToNumber(Arg(args, 0)))); }
Value IsFinite(Vm& vm, const Value&, std::span<const Value> args) {
  return Value(std::isfinite(vm.ToNumber(Arg(args, 0))));
}

Value Escape(Vm& vm, const Value&, std::span<const Value> args) {
  const std::u16string text = vm.ToString(Arg(args, 0));
  const std::string bytes = vm.version() >= 6 ? U16ToUtf8(text) : [&] {
    std::string latin;
    for (char16_t c : text) latin.push_back(static_cast<char>(c & 0xFF));
    return latin;
  }();
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::u16string out;
  for (unsigned char c : bytes) {
    if (std::isalnum(c)) {
      out.push_back(c);
    } else {
      out.push_back(u'%');
      out.push_back(static_cast<char16_t>(kHex[c >> 4]));
      out.push_back(static_cast<char16_t>(kHex[c & 15]));
    }
  }
  return Value(std::move(out));
}

Value Unescape(Vm& vm, const Value&, std::span<const Value> args) {
  const std::u16string text = vm.ToString(Arg(args, 0));
  std::string bytes;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 2 < text.size() + 0 && DigitValue(text[i + 1]) < 16 && DigitValue(text[i + 2]) < 16) {
      bytes.push_back(static_cast<char>(DigitValue(text[i + 1]) * 16 + DigitValue(text[i + 2])));
      i += 2;
    } else if (text[i] < 0x80) {
      bytes.push_back(static_cast<char>(text[i]));
    } else {
      bytes += U16ToUtf8(std::u16string_view(&text[i], 1));
    }
  }
  if (vm.version() >= 6) return Value(Utf8ToU16(bytes));
  std::u16string out;
  for (unsigned char c : bytes) out.push_back(c);
  return Value(std::move(out));
}

// setInterval(function, ms, args...) or setInterval(object, "method", ms, args...).
Value SetIntervalImpl(Vm& vm, std::span<const Value> args, bool once) {
  Object* first = Arg(args, 0).ObjectOrNull();
  if (!first) return Value();
  size_t at = 1;
  Value function;
  std::u16string name;
  if (first->kind() == ObjectKind::kFunction) {
    function = args[0];
  } else {
    name = vm.ToString(Arg(args, 1));
    at = 2;
  }
  const double period = vm.ToNumber(Arg(args, at));
  std::vector<Value> rest(args.begin() + std::min(args.size(), at + 1), args.end());
  const int32_t id = vm.AddInterval(args[0], function, std::move(name), period, std::move(rest), once);
  return id ? Value(static_cast<double>(id)) : Value();
}
Value SetInterval(Vm& vm, const Value&, std::span<const Value> args) { return SetIntervalImpl(vm, args, false); }
Value SetTimeout(Vm& vm, const Value&, std::span<const Value> args) { return SetIntervalImpl(vm, args, true); }
Value ClearInterval(Vm& vm, const Value&, std::span<const Value> args) {
  vm.ClearInterval(ToInt32(vm.ToNumber(Arg(args, 0))));
  return Value();
}
Value GetTimer(Vm& vm, const Value&, std::span<const Value>) { return Value(std::floor(vm.clock())); }

// ASnative(table, index): a built-in function by its number. Only the Math table is known;
// other tables give undefined.
Value AsNative(Vm& vm, const Value&, std::span<const Value> args) {
  const double table = vm.ToNumber(Arg(args, 0));
  const double index = vm.ToNumber(Arg(args, 1));
  if (table != kMathNatives || !(index >= 0)) return Value();
  const auto i = static_cast<size_t>(std::min(index, 65535.0));
  return Value(vm.NewFunction(i < std::size(kMathByIndex) ? kMathByIndex[i] : MathUnknown));
}
Value Nothing(Vm&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

Object* MakeConstructor(Vm& vm, std::u16string_view name, NativeFunction call, NativeFunction construct,
                        Object* proto) {
  Object* ctor = vm.NewFunction(call, construct);
  ctor->Define(u"prototype", Value(proto), kDontEnum | kDontDelete);
  proto->Define(u"constructor", Value(ctor), kDontEnum);
  vm.global()->Define(name, Value(ctor), kDontEnum);
  return ctor;
}

Value Arg(std::span<const Value> args, size_t i) { return i < args.size() ? args[i] : Value(); }

Object* RegisteredClasses(Vm& vm) {
  const Value v = vm.global()->FindOwn(u"__registeredClasses") ? vm.global()->FindOwn(u"__registeredClasses")->value
                                                                 : Value();
  if (Object* o = v.ObjectOrNull()) return o;
  Object* registry = vm.heap().Make();
  vm.global()->Define(u"__registeredClasses", Value(registry), kDontEnum);
  return registry;
}

void InstallBuiltins(Vm& vm) {
  Heap& heap = vm.heap();
  Object* global = vm.global();
  vm.objectProto = heap.Make();
  vm.functionProto = heap.Make(ObjectKind::kFunction);
  vm.functionProto->SetProto(vm.objectProto);
  global->SetProto(vm.objectProto);
  vm.arrayProto = heap.Make<ArrayObject>();
  vm.arrayProto->SetProto(vm.objectProto);
  vm.stringProto = heap.Make(ObjectKind::kString);
  vm.stringProto->SetProto(vm.objectProto);
  vm.stringProto->primitive = Value(u"");
  vm.numberProto = heap.Make(ObjectKind::kNumber);
  vm.numberProto->SetProto(vm.objectProto);
  vm.numberProto->primitive = Value(0.0);
  vm.booleanProto = heap.Make(ObjectKind::kBoolean);
  vm.booleanProto->SetProto(vm.objectProto);
  vm.booleanProto->primitive = Value(false);
  vm.dateProto = heap.Make(ObjectKind::kDate);
  vm.dateProto->SetProto(vm.objectProto);

  Object* object = MakeConstructor(vm, u"Object", ObjectCall, ObjectCall, vm.objectProto);
  vm.Method(object, u"registerClass", RegisterClass);
  vm.Method(vm.objectProto, u"toString", ObjectToString);
  vm.Method(vm.objectProto, u"toLocaleString", ObjectToString);
  vm.Method(vm.objectProto, u"valueOf", ObjectValueOf);
  vm.Method(vm.objectProto, u"hasOwnProperty", HasOwnProperty);
  vm.Method(vm.objectProto, u"isPropertyEnumerable", IsPropertyEnumerable);
  vm.Method(vm.objectProto, u"isPrototypeOf", IsPrototypeOf);
  vm.Method(vm.objectProto, u"addProperty", AddProperty);
  vm.Method(vm.objectProto, u"watch", Nothing);
  vm.Method(vm.objectProto, u"unwatch", Nothing);

  MakeConstructor(vm, u"Function", ObjectCall, nullptr, vm.functionProto);
  vm.Method(vm.functionProto, u"call", FunctionCall);
  vm.Method(vm.functionProto, u"apply", FunctionApply);
  vm.Method(vm.functionProto, u"toString", ObjectToString);

  MakeConstructor(vm, u"Boolean", BooleanCall, BooleanConstruct, vm.booleanProto);
  vm.Method(vm.booleanProto, u"toString", BooleanToString);
  vm.Method(vm.booleanProto, u"valueOf", PrimitiveValueOf);

  Object* number = MakeConstructor(vm, u"Number", NumberCall, NumberConstruct, vm.numberProto);
  vm.Method(vm.numberProto, u"toString", NumberToString);
  vm.Method(vm.numberProto, u"valueOf", PrimitiveValueOf);
  const uint8_t constant = kDontEnum | kDontDelete | kReadOnly;
  number->Define(u"MAX_VALUE", Value(std::numeric_limits<double>::max()), constant);
  number->Define(u"MIN_VALUE", Value(std::numeric_limits<double>::denorm_min()), constant);
  number->Define(u"NaN", Value(kNaN), constant);
  number->Define(u"NEGATIVE_INFINITY", Value(-INFINITY), constant);
  number->Define(u"POSITIVE_INFINITY", Value(INFINITY), constant);

  Object* math = vm.NewObject();
  global->Define(u"Math", Value(math), kDontEnum);
  vm.Method(math, u"abs", Math1<Abs>);
  vm.Method(math, u"acos", Math1<std::acos>);
  vm.Method(math, u"asin", Math1<std::asin>);
  vm.Method(math, u"atan", Math1<std::atan>);
  vm.Method(math, u"atan2", MathAtan2);
  vm.Method(math, u"ceil", Math1<std::ceil>);
  vm.Method(math, u"cos", Math1<std::cos>);
  vm.Method(math, u"exp", Math1<std::exp>);
  vm.Method(math, u"floor", Math1<std::floor>);
  vm.Method(math, u"log", Math1<std::log>);
  vm.Method(math, u"max", MathMax);
  vm.Method(math, u"min", MathMin);
  vm.Method(math, u"pow", MathPow);
  vm.Method(math, u"random", MathRandom);
  vm.Method(math, u"round", Math1<Round>);
  vm.Method(math, u"sin", Math1<std::sin>);
  vm.Method(math, u"sqrt", Math1<std::sqrt>);
  vm.Method(math, u"tan", Math1<std::tan>);
  const struct {
    const char16_t* name;
    double value;
  } mathConstants[] = {{u"E", std::numbers::e},           {u"LN10", std::numbers::ln10},
                       {u"LN2", std::numbers::ln2},         {u"LOG10E", std::numbers::log10e},
                       {u"LOG2E", std::numbers::log2e},     {u"PI", std::numbers::pi},
                       {u"SQRT1_2", 1 / std::numbers::sqrt2}, {u"SQRT2", std::numbers::sqrt2}};
  for (const auto& c : mathConstants) math->Define(c.name, Value(c.value), constant);

  global->Define(u"NaN", Value(kNaN), kDontEnum);
  global->Define(u"Infinity", Value(INFINITY), kDontEnum);
  vm.Method(global, u"parseInt", ParseInt);
  vm.Method(global, u"parseFloat", ParseFloat);
  vm.Method(global, u"isNaN", IsNaN);
  vm.Method(global, u"isFinite", IsFinite);
  vm.Method(global, u"escape", Escape);
  vm.Method(global, u"unescape", Unescape);
  vm.Method(global, u"setInterval", SetInterval);
  vm.Method(global, u"clearInterval", ClearInterval);
  vm.Method(global, u"setTimeout", SetTimeout);
  vm.Method(global, u"clearTimeout", ClearInterval);
  vm.Method(global, u"getTimer", GetTimer);
  vm.Method(global, u"ASSetPropFlags", SetPropFlags);
  vm.Method(global, u"ASnative", AsNative);
  vm.Method(global, u"updateAfterEvent", Nothing);

  InstallArray(vm);
  InstallString(vm);
  InstallDate(vm);
  InstallColor(vm);
  InstallMovieClip(vm);
}

}  // namespace zp::swf
