#include "core/swf/swf_vm.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "core/swf/swf_bits.h"
#include "core/swf/swf_movie.h"
#include "core/text.h"

namespace zp::swf {
namespace {

constexpr size_t kMaxStack = 1 << 16;
constexpr size_t kMaxProtoDepth = 256;
// The number of properties a clip's GetProperty/SetProperty index names.
constexpr std::u16string_view kPropertyNames[] = {
    u"_x",        u"_y",          u"_xscale",       u"_yscale",  u"_currentframe", u"_totalframes",
    u"_alpha",    u"_visible",    u"_width",        u"_height",  u"_rotation",     u"_target",
    u"_framesloaded", u"_name",   u"_droptarget",   u"_url",     u"_highquality",  u"_focusrect",
    u"_soundbuftime", u"_quality", u"_xmouse",      u"_ymouse"};

// DefineFunction2 flags.
enum : uint16_t {
  kPreloadThis = 0x0001,
  kSuppressThis = 0x0002,
  kPreloadArguments = 0x0004,
  kSuppressArguments = 0x0008,
  kPreloadSuper = 0x0010,
  kSuppressSuper = 0x0020,
  kPreloadRoot = 0x0040,
  kPreloadParent = 0x0080,
  kPreloadGlobal = 0x0100,
};

// The property a GetProperty/SetProperty index names, or past the table.
size_t PropertyIndex(double index) {
  index = std::trunc(index);
  return index >= 0 && index < static_cast<double>(std::size(kPropertyNames)) ? static_cast<size_t>(index) : SIZE_MAX;
}

// Names that stand for timelines and objects from version 5; version 4 scripts keep ordinary
// variables under them.
bool IsLaterName(std::u16string_view name) {
  return name == u"this" || name == u"_root" || name == u"_level0" || name == u"_global" || name == u"_parent";
}

bool IsPath(std::u16string_view name) {
  return name.find_first_of(u"/:.") != std::u16string_view::npos;
}

// Boolean results are true/false from version 5 and 1/0 before.
Value Truth(bool b, uint8_t version) { return version >= 5 ? Value(b) : Value(b ? 1.0 : 0.0); }

}  // namespace

struct Vm::Context {
  std::shared_ptr<ActionProgram> program;
  std::shared_ptr<const std::vector<Value>> constants;
  std::vector<Value> registers;
  Object* scope = nullptr;       // innermost link; a link without object stands for `target`
  Object* target = nullptr;      // the timeline that gotos and unscoped variables act on
  Object* originalTarget = nullptr;
  Object* activation = nullptr;  // a function's locals
  Value self;
  Object* callee = nullptr;
  Object* home = nullptr;
  Object* super = nullptr;
  size_t stackBase = 0;
  uint8_t version = 0;
};

Vm::Vm(uint8_t version, ActionHost& host, Object* rootTimeline)
    : version_(version), host_(host), heap_(version >= 7) {
  global_ = heap_.Make();
  InstallBuiltins(*this);
  root_ = rootTimeline ? rootTimeline : heap_.Make(ObjectKind::kClip);
  if (!root_->proto()) root_->SetProto(root_->kind() == ObjectKind::kClip ? movieClipProto : objectProto);
  globalScope_ = MakeScope(global_, nullptr);
}

Vm::~Vm() = default;

Object* Vm::MakeScope(Object* object, Object* outer) {
  Object* s = heap_.Make(ObjectKind::kScope);
  s->link = object;
  s->scope = outer;
  return s;
}

Object* Vm::NewObject() {
  Object* o = heap_.Make();
  o->SetProto(objectProto);
  return o;
}

ArrayObject* Vm::NewArray(std::vector<Value> elements) {
  auto* a = heap_.Make<ArrayObject>();
  a->SetProto(arrayProto);
  a->elements = std::move(elements);
  return a;
}

Object* Vm::NewFunction(NativeFunction fn, NativeFunction construct) {
  Object* f = heap_.Make(ObjectKind::kFunction);
  f->SetProto(functionProto);
  f->native = fn;
  f->construct = construct;
  return f;
}

Object* Vm::Method(Object* on, std::u16string_view name, NativeFunction fn) {
  Object* f = NewFunction(fn);
  on->Define(name, f, kDontEnum);
  return f;
}

bool Vm::CheckArrayLength(double length) {
  if (length <= static_cast<double>(budget_.arrayLength)) return true;
  Abort();
  return false;
}

bool Vm::CheckStringLength(size_t length) {
  if (length <= budget_.stringLength) return true;
  Abort();
  return false;
}

void Vm::Throw(const Value& value) {
  thrown_ = value;
  throwing_ = true;
}

double Vm::Random() {
  randomState_ ^= randomState_ >> 12;
  randomState_ ^= randomState_ << 25;
  randomState_ ^= randomState_ >> 27;
  return static_cast<double>((randomState_ * 0x2545F4914F6CDD1DULL) >> 11) / 9007199254740992.0;
}

// ---- conversions ---------------------------------------------------------------------------

Value Vm::ToPrimitive(const Value& v, bool preferString) {
  Object* o = v.ObjectOrNull();
  if (!o) return v;
  if (o->kind() == ObjectKind::kDate) preferString = true;
  const std::u16string_view first = preferString ? u"toString" : u"valueOf";
  const std::u16string_view second = preferString ? u"valueOf" : u"toString";
  for (std::u16string_view name : {first, second}) {
    const Value fn = GetMember(v, name);
    if (fn.IsObject() && fn.AsObject()->kind() == ObjectKind::kFunction) {
      Value r = Call(fn, v, {});
      if (!r.IsObject()) return r;
      // A valueOf that gives an object (as Object's own does) leaves the object as it is:
      // toString is not tried, so arithmetic sees NaN and only text joins call toString.
      if (!preferString && !aborted_ && !throwing_) return v;
    }
    if (aborted_ || throwing_) return Value();
  }
  if (o->kind() == ObjectKind::kFunction) return Value(u"[type Function]");
  return Value(u"[object Object]");
}

double Vm::ToNumber(const Value& v) {
  if (v.IsNumber()) return v.AsNumber();
  if (!v.IsObject()) return v.ToNumber(version_);
  const Value p = ToPrimitive(v);
  return p.IsObject() ? std::numeric_limits<double>::quiet_NaN() : p.ToNumber(version_);
}

std::u16string Vm::ToString(const Value& v) {
  if (!v.IsObject()) return v.ToString(version_);
  // Only a string from toString counts; anything else shows the object's type.
  const Value fn = GetMember(v, u"toString");
  if (fn.IsObject() && fn.AsObject()->kind() == ObjectKind::kFunction) {
    const Value r = Call(fn, v, {});
    if (r.IsString()) return r.AsString();
  }
  return v.AsObject()->kind() == ObjectKind::kFunction ? u"[type Function]" : u"[type Object]";
}

std::u16string Vm::TypeOf(const Value& v) const {
  switch (v.type()) {
    case Value::Type::kUndefined: return u"undefined";
    case Value::Type::kNull: return u"null";
    case Value::Type::kBool: return u"boolean";
    case Value::Type::kNumber: return u"number";
    case Value::Type::kString: return u"string";
    case Value::Type::kObject: break;
  }
  switch (v.AsObject()->kind()) {
    case ObjectKind::kFunction: return u"function";
    case ObjectKind::kClip: return u"movieclip";
    default: return u"object";
  }
}

// ---- properties ----------------------------------------------------------------------------

Value Vm::Lookup(const Value& object, std::u16string_view name, Object** holder) {
  if (holder) *holder = nullptr;
  Object* o = object.ObjectOrNull();
  if (!o) {
    switch (object.type()) {
      case Value::Type::kString:
        if (name == u"length") return static_cast<double>(object.AsString().size());
        o = stringProto;
        break;
      case Value::Type::kNumber: o = numberProto; break;
      case Value::Type::kBool: o = booleanProto; break;
      default: return Value();
    }
  }
  if (name == u"__proto__") return Value(o->proto());
  for (size_t depth = 0; o && depth < kMaxProtoDepth; ++depth, o = o->proto()) {
    Value special;
    if (o->GetSpecial(*this, name, special)) {
      if (holder) *holder = o;
      return special;
    }
    if (Property* p = o->FindOwn(name)) {
      if (holder) *holder = o;
      if (p->getter) return Call(Value(p->getter), object, {});
      return p->value;
    }
  }
  return Value();
}

Value Vm::GetMember(const Value& object, std::u16string_view name) { return Lookup(object, name, nullptr); }

bool Vm::HasProperty(Object* o, std::u16string_view name) {
  for (size_t depth = 0; o && depth < kMaxProtoDepth; ++depth, o = o->proto()) {
    Value special;
    if (o->GetSpecial(*this, name, special) || o->FindOwn(name)) return true;
  }
  return false;
}

void Vm::SetMember(const Value& object, std::u16string_view name, const Value& value) {
  Object* o = object.ObjectOrNull();
  if (!o) return;  // primitives keep no properties
  if (name == u"__proto__") {
    if (value.IsObject() || value.IsNull()) o->SetProto(value.ObjectOrNull());
    return;
  }
  if (o->SetSpecial(*this, name, value)) return;
  if (Property* p = o->FindOwn(name)) {
    if (p->setter) {
      Call(Value(p->setter), object, std::span<const Value>(&value, 1));
    } else if (!(p->flags & kReadOnly)) {
      p->value = value;
    }
    return;
  }
  // A setter an ancestor added with addProperty applies to its heirs too.
  Object* a = o->proto();
  for (size_t depth = 0; a && depth < kMaxProtoDepth; ++depth, a = a->proto()) {
    if (Property* p = a->FindOwn(name)) {
      if (p->setter) {
        Call(Value(p->setter), object, std::span<const Value>(&value, 1));
        return;
      }
      if (p->getter) return;  // a property without setter is read-only
      break;
    }
  }
  o->SetOwn(name, value);
}

std::vector<std::u16string> Vm::EnumerableNames(Object* object) {
  std::vector<std::u16string> out;
  std::vector<std::u16string> own;
  std::vector<std::u16string> seen;
  Object* o = object;
  for (size_t depth = 0; o && depth < kMaxProtoDepth; ++depth, o = o->proto()) {
    own.clear();
    o->OwnKeys(own, true);
    for (auto& name : own) {
      const bool already = std::find_if(seen.begin(), seen.end(), [&](const std::u16string& s) {
                             return heap_.caseSensitive() ? s == name : EqualsNoCase(s, name);
                           }) != seen.end();
      if (already) continue;
      seen.push_back(name);
      const Property* p = o->FindOwn(name);
      if (!p || !(p->flags & kDontEnum)) out.push_back(name);
    }
  }
  return out;
}

bool Vm::InstanceOf(const Value& object, Object* constructor) {
  Object* o = object.ObjectOrNull();
  if (!o || !constructor) return false;
  const Value protoValue = GetMember(Value(constructor), u"prototype");
  Object* proto = protoValue.ObjectOrNull();
  Object* p = o->proto();
  for (size_t depth = 0; p && depth < kMaxProtoDepth; ++depth, p = p->proto()) {
    if (p == proto) return true;
    for (Object* i : p->interfaces) {
      if (i == constructor) return true;
      const Value ip = GetMember(Value(i), u"prototype");
      if (ip.IsObject() && proto && ip.AsObject() == proto) return true;
    }
  }
  return false;
}

// ---- calls ---------------------------------------------------------------------------------

Value Vm::Call(const Value& function, const Value& self, std::span<const Value> args, Object* home) {
  Object* fn = function.ObjectOrNull();
  if (!fn || aborted_) return Value();
  if (fn->native) return fn->native(*this, self, args);
  if (fn->script) return CallScript(fn, self, args, home);
  return Value();
}

Value Vm::CallMethod(const Value& object, std::u16string_view name, std::span<const Value> args) {
  Object* holder = nullptr;
  const Value fn = Lookup(object, name, &holder);
  return Call(fn, object, args, holder);
}

Value Vm::Construct(const Value& constructor, std::span<const Value> args) {
  Object* ctor = constructor.ObjectOrNull();
  if (!ctor || ctor->kind() != ObjectKind::kFunction) return Value();
  const Value protoValue = GetMember(constructor, u"prototype");
  if (ctor->construct) {
    Value made = ctor->construct(*this, Value(), args);
    if (Object* m = made.ObjectOrNull(); m && protoValue.IsObject()) m->SetProto(protoValue.AsObject());
    return made;
  }
  Object* o = NewObject();
  if (protoValue.IsObject()) o->SetProto(protoValue.AsObject());
  o->Define(u"__constructor__", constructor, kDontEnum);
  if (version_ < 7) o->Define(u"constructor", constructor, kDontEnum);
  const Value self(o);
  Call(constructor, self, args, protoValue.ObjectOrNull());
  return self;
}

Object* Vm::SuperFor(Context& c) {
  if (c.super) return c.super;
  Object* self = c.self.ObjectOrNull();
  if (!self) return nullptr;
  Object* home = c.home ? c.home : self->proto();
  if (!home) return nullptr;
  Object* s = heap_.Make(ObjectKind::kSuper);
  s->scope = self;         // the `this` methods called through super get
  s->target = home->proto();  // where their lookup starts
  s->link = home;
  c.super = s;
  return s;
}

Value Vm::CallScript(Object* fn, const Value& self, std::span<const Value> args, Object* home) {
  if (depth_ >= budget_.callDepth) {
    Abort();
    return Value();
  }
  const ScriptCode& code = *fn->script;
  Context c;
  c.program = code.body;
  c.constants = code.constants;
  c.version = code.version;
  c.target = fn->target ? fn->target : root_;
  c.originalTarget = c.target;
  c.self = self;
  c.callee = fn;
  c.home = home;
  c.stackBase = stack_.size();
  c.activation = heap_.Make();
  c.scope = MakeScope(c.activation, fn->scope ? fn->scope : globalScope_);
  c.registers.resize(code.function2 ? std::max<size_t>(code.registerCount, 1) : 4);

  ArrayObject* arguments = nullptr;
  const bool wantArguments = !code.function2 || !(code.flags & kSuppressArguments);
  if (wantArguments || (code.flags & kPreloadArguments)) {
    arguments = NewArray(std::vector<Value>(args.begin(), args.end()));
    arguments->Define(u"callee", Value(fn), kDontEnum);
  }
  if (code.function2) {
    size_t r = 1;
    auto preload = [&](uint16_t flag, const Value& v) {
      if ((code.flags & flag) && r < c.registers.size()) c.registers[r++] = v;
    };
    preload(kPreloadThis, self);
    preload(kPreloadArguments, Value(static_cast<Object*>(arguments)));
    if (code.flags & kPreloadSuper) preload(kPreloadSuper, Value(SuperFor(c)));
    preload(kPreloadRoot, Value(root_));
    if (code.flags & kPreloadParent) preload(kPreloadParent, GetMember(Value(c.target), u"_parent"));
    preload(kPreloadGlobal, Value(global_));
  }
  if (arguments && wantArguments) c.activation->Define(u"arguments", Value(static_cast<Object*>(arguments)), kDontEnum);
  for (size_t i = 0; i < code.params.size(); ++i) {
    const Value arg = i < args.size() ? args[i] : Value();
    const uint8_t reg = i < code.paramRegisters.size() ? code.paramRegisters[i] : 0;
    if (reg != 0) {
      if (reg < c.registers.size()) c.registers[reg] = arg;
    } else {
      c.activation->SetOwn(code.params[i], arg);
    }
  }

  ++depth_;
  const Flow flow = Exec(c, 0, c.program->code().size());
  --depth_;
  stack_.shrink(c.stackBase);
  if (flow == Flow::kReturn) return std::exchange(returned_, Value());
  if (flow == Flow::kThrow) throwing_ = true;
  return Value();
}

// ---- variables and paths -------------------------------------------------------------------

Value Vm::ResolveName(Context& c, std::u16string_view name, bool* found) {
  *found = true;
  if (name == u"this") return c.self.IsUndefined() ? Value(c.target) : c.self;
  if (name == u"_global") return Value(global_);
  if (name == u"_root" || name == u"_level0") return Value(root_);
  if (name == u"super") return Value(SuperFor(c));
  if (name == u"_parent") return GetMember(Value(c.target), u"_parent");
  for (Object* s = c.scope; s; s = s->scope) {
    Object* o = s->link ? s->link : c.target;
    if (HasProperty(o, name)) return GetMember(Value(o), name);
  }
  *found = false;
  return Value();
}

Value Vm::ResolvePath(Context& c, std::u16string_view path) {
  // "/a/b:var" and "a:var": a timeline path, then a variable of it.
  const size_t colon = path.rfind(u':');
  if (colon != std::u16string_view::npos) {
    const Value clip = colon == 0 ? Value(c.target) : ResolvePath(c, path.substr(0, colon));
    return GetMember(clip, path.substr(colon + 1));
  }
  Value at;
  size_t pos = 0;
  if (!path.empty() && path[0] == u'/') {
    at = Value(root_);
    pos = 1;
  }
  bool first = at.IsUndefined();
  while (pos <= path.size()) {
    size_t end = path.find_first_of(u"/.", pos);
    if (end == std::u16string_view::npos) end = path.size();
    const std::u16string_view part = path.substr(pos, end - pos);
    if (!part.empty()) {
      if (first) {
        bool found = false;
        at = ResolveName(c, part, &found);
        first = false;
      } else if (part == u"..") {
        at = GetMember(at, u"_parent");
      } else {
        at = GetMember(at, part);
      }
      if (at.IsUndefined()) return at;
    } else if (end < path.size() && path[end] == u'.' && end + 1 < path.size() && path[end + 1] == u'.') {
      at = GetMember(first ? Value(c.target) : at, u"_parent");
      first = false;
      end += 1;
    }
    pos = end + 1;
  }
  return first ? Value(c.target) : at;
}

Value Vm::LookupVariable(Context& c, std::u16string_view name) {
  if (IsPath(name)) return ResolvePath(c, name);
  bool found = false;
  // Version 4 scripts have no `this`, `_root`, `_global` or `_parent` variables: those names
  // are variables like any other there (paths still start from the timelines they name).
  if (c.version < 5 && IsLaterName(name)) {
    for (Object* s = c.scope; s; s = s->scope) {
      Object* o = s->link ? s->link : c.target;
      if (const Property* p = o->FindOwn(name)) return p->value;
    }
    return Value();
  }
  return ResolveName(c, name, &found);
}

void Vm::AssignVariable(Context& c, std::u16string_view name, const Value& value) {
  if (c.version < 5 && IsLaterName(name)) {
    c.target->SetOwn(name, value);
    return;
  }
  if (IsPath(name)) {
    const size_t split = name.find_last_of(u":.");
    if (split == std::u16string_view::npos) return;  // a bare timeline path names no variable
    const Value owner = split == 0 ? Value(c.target) : ResolvePath(c, name.substr(0, split));
    SetMember(owner, name.substr(split + 1), value);
    return;
  }
  for (Object* s = c.scope; s; s = s->scope) {
    if (s == globalScope_ || !s->scope) break;  // the globals are never assigned unqualified
    Object* o = s->link ? s->link : c.target;
    if (HasProperty(o, name)) {
      SetMember(Value(o), name, value);
      return;
    }
  }
  SetMember(Value(c.target), name, value);
}

Value Vm::GetVariable(std::u16string_view path) {
  Context c;
  c.target = c.originalTarget = root_;
  c.scope = MakeScope(nullptr, globalScope_);
  return LookupVariable(c, path);
}

void Vm::SetVariable(std::u16string_view path, const Value& value) {
  if (path.empty()) return;
  Context c;
  c.target = c.originalTarget = root_;
  c.scope = MakeScope(nullptr, globalScope_);
  AssignVariable(c, path, value);
}

// ---- running -------------------------------------------------------------------------------

ActionRunResult Vm::RunBlock(std::span<const uint8_t> code, Object* target, size_t maxActions) {
  // A block run from inside another (the Call action) shares the outer block's budget.
  const bool outermost = runDepth_ == 0;
  if (outermost) {
    steps_ = 0;
    maxSteps_ = maxActions;
    aborted_ = throwing_ = false;
    depth_ = 0;
  }
  Context c;
  c.program = ProgramFor(code);
  c.target = c.originalTarget = target ? target : root_;
  c.self = Value(c.target);
  c.scope = MakeScope(nullptr, globalScope_);
  c.registers.resize(4);
  c.stackBase = stack_.size();
  c.version = version_;
  ++runDepth_;
  const Flow flow = Exec(c, 0, code.size());
  --runDepth_;
  stack_.shrink(c.stackBase);
  ActionRunResult result;
  result.executed = steps_;
  result.completed = flow == Flow::kNormal || flow == Flow::kReturn || flow == Flow::kThrow;
  throwing_ = false;  // an exception nobody caught ends its block only
  if (outermost) {
    aborted_ = false;
    thrown_ = Value();
    returned_ = Value();
  }
  return result;
}

std::shared_ptr<ActionProgram> Vm::ProgramFor(std::span<const uint8_t> code) {
  // Frame and clip-event blocks run again and again from the movie's bytes; a block that is
  // seen once costs one copy. The bytes are compared, as a buffer may be reused for another.
  constexpr size_t kMostKeptBytes = 8u << 20;
  if (const auto it = programs_.find(code.data()); it != programs_.end()) {
    const auto kept = it->second->code();
    if (it->second->version() == version_ && std::equal(kept.begin(), kept.end(), code.begin(), code.end())) {
      return it->second;
    }
    programBytes_ -= kept.size();
    programs_.erase(it);
  }
  if (programBytes_ + code.size() > kMostKeptBytes) {
    programs_.clear();
    programBytes_ = 0;
  }
  auto program = std::make_shared<ActionProgram>(code, version_);
  programBytes_ += code.size();
  programs_.emplace(code.data(), program);
  return program;
}

Object* Vm::DefineFunctionAt(Context& c, std::span<const uint8_t> data, bool function2, size_t& next) {
  BitReader r(data);
  auto text = [&](std::string_view bytes) { return DecodeMovieText(bytes, c.version); };
  auto script = std::make_unique<ScriptCode>();
  const std::u16string name = text(r.CString());
  const uint16_t count = r.U16();
  if (function2) {
    script->registerCount = r.U8();
    script->flags = r.U16();
    for (uint16_t i = 0; i < count && r.ok(); ++i) {
      script->paramRegisters.push_back(r.U8());
      script->params.push_back(text(r.CString()));
    }
  } else {
    for (uint16_t i = 0; i < count && r.ok(); ++i) script->params.push_back(text(r.CString()));
  }
  const uint16_t size = r.U16();
  if (!r.ok() || size > c.program->code().size() - next) return nullptr;
  script->body = c.program->Body(next, size);
  script->function2 = function2;
  script->version = c.version;
  script->constants = c.constants;
  next += size;

  Object* fn = NewFunction(nullptr);
  fn->script = std::move(script);
  // Functions see the timeline they were defined on, even after a SetTarget.
  std::vector<Object*> links;
  for (Object* s = c.scope; s && s != globalScope_; s = s->scope) links.push_back(s->link ? s->link : c.target);
  Object* scope = globalScope_;
  for (auto it = links.rbegin(); it != links.rend(); ++it) scope = MakeScope(*it, scope);
  fn->scope = scope;
  fn->target = c.target;
  Object* proto = NewObject();
  proto->Define(u"constructor", Value(fn), kDontEnum);
  fn->Define(u"prototype", Value(proto), kDontEnum);
  if (!name.empty()) {
    if (c.activation) {
      c.activation->SetOwn(name, Value(fn));
    } else {
      SetMember(Value(c.target), name, Value(fn));
    }
  }
  return fn;
}

Vm::Flow Vm::Interruption() {
  if (aborted_) return Flow::kAbort;
  if (throwing_) {
    throwing_ = false;
    return Flow::kThrow;
  }
  if (steps_ >= maxSteps_ || heap_.Count() > budget_.objects) {
    aborted_ = true;
    return Flow::kAbort;
  }
  return Flow::kGoOn;
}

Vm::Flow Vm::Exec(Context& c, size_t begin, size_t end) {
  ActionProgram& program = *c.program;
  const auto codeSize = static_cast<int64_t>(program.code().size());
  const uint8_t version = c.version;
  const size_t base = c.stackBase;
  // Booleans and numbers test without a call; other values as the movie's version says.
  auto truth = [this](const Value& v) { return v.IsBool() ? v.AsBool() : v.ToBool(version_); };
  auto hasNumbers = [&](size_t count) {
    const size_t size = stack_.size();
    if (size < base + count) return false;
    for (size_t i = size - count; i < size; ++i) {
      if (!stack_[i].IsNumber()) return false;
    }
    return true;
  };

  // Each simple action ends with a jump of its own to the next one's code (threaded dispatch):
  // the processor then predicts each of those jumps from the action before it, where a single
  // shared jump is mispredicted whenever the actions vary. The table follows ActionRoute.
  static const void* const kRoutes[] = {&&general, &&push,      &&jump,      &&branch,     &&storeRegister, &&pop,
                                        &&duplicate, &&negation, &&increment, &&decrement, &&arithmetic,    &&compare};
  static_assert(std::size(kRoutes) == static_cast<size_t>(ActionRoute::kCompare) + 1);

  size_t pc = begin;                  // the offset of the next action
  int32_t current = program.IndexAt(pc);  // its instruction
  const ActionInstruction* instructions = program.instructions();  // moves when a record is decoded
  const ActionInstruction* in = nullptr;
  size_t next = 0;
  // Only general actions can abort, throw or make objects, so the full checks run before the
  // first action and after each general one; the simple ones need only the step budget.
  bool checkAll = true;
  // The step count stays in a local while simple actions run, and goes back to steps_ before
  // anything else may read it.
  size_t steps = steps_;
  size_t maxSteps = maxSteps_;

// A simple action is done: on to the instruction after it when that is the next record.
#define ZP_SIMPLE_DONE()                                          \
  do {                                                            \
    ++steps;                                                      \
    if (in->followed && in->next < end && steps < maxSteps) {     \
      ++in;                                                       \
      goto* kRoutes[static_cast<size_t>(in->route)];              \
    }                                                             \
    goto advance;                                                 \
  } while (false)

top:
  if (pc >= end) goto finished;
  if (checkAll) {
    if (const Flow f = Interruption(); f != Flow::kGoOn) return f;
    checkAll = false;
  } else if (steps >= maxSteps) {
    steps_ = steps;
    aborted_ = true;
    return Flow::kAbort;
  }
  in = instructions + current;
  goto* kRoutes[static_cast<size_t>(in->route)];

push: {
  const PushItem* item = program.pushItems(*in);
  for (uint32_t n = in->count; n > 0; --n, ++item) {
    if (stack_.size() >= kMaxStack) continue;
    switch (item->kind) {
      case PushItem::Kind::kValue: stack_.push_back(item->value); break;
      case PushItem::Kind::kRegister:
        if (item->index < c.registers.size()) {
          stack_.push_back(c.registers[item->index]);
        } else {
          stack_.emplace_back();
        }
        break;
      case PushItem::Kind::kConstant:
        if (c.constants && item->index < c.constants->size()) {
          stack_.push_back((*c.constants)[item->index]);
        } else {
          stack_.emplace_back();
        }
        break;
    }
  }
  ZP_SIMPLE_DONE();
}
branch: {
  if (!in->hasOperand) ZP_SIMPLE_DONE();
  const bool take = stack_.size() > base && truth(stack_.back());
  if (stack_.size() > base) stack_.pop_back();
  if (!take) ZP_SIMPLE_DONE();
  goto jumpTaken;
}
jump:
  if (!in->hasOperand) ZP_SIMPLE_DONE();
  goto jumpTaken;
jumpTaken: {
  ++steps;
  if (in->jumpTarget < 0 || in->jumpTarget > codeSize) {
    steps_ = steps;
    aborted_ = true;
    return Flow::kAbort;
  }
  next = static_cast<size_t>(in->jumpTarget);
  if (next < begin || next > end) goto jumpOut;
  current = static_cast<int32_t>(in - instructions);
  if (in->jumpIndex != ActionInstruction::kUnresolved) {
    current = in->jumpIndex;
  } else {
    current = program.JumpOf(current);
    instructions = program.instructions();
  }
  pc = next;
  goto top;
}
storeRegister:
  if (in->hasOperand && in->first < c.registers.size()) {
    if (stack_.size() > base) {
      c.registers[in->first] = stack_.back();
    } else {
      c.registers[in->first] = Value();
    }
  }
  ZP_SIMPLE_DONE();
pop:
  if (stack_.size() > base) stack_.pop_back();
  ZP_SIMPLE_DONE();
duplicate:
  if (stack_.size() < kMaxStack) {
    if (stack_.size() > base) {
      stack_.push_back(stack_.back());
    } else {
      stack_.emplace_back();
    }
  }
  ZP_SIMPLE_DONE();
negation:
  if (stack_.size() <= base || !(stack_.back().IsBool() || stack_.back().IsNumber())) goto general;
  stack_.back() = Truth(!truth(stack_.back()), version);
  ZP_SIMPLE_DONE();
increment:
  if (!hasNumbers(1)) goto general;
  stack_.back() = Value(stack_.back().AsNumber() + 1);
  ZP_SIMPLE_DONE();
decrement:
  if (!hasNumbers(1)) goto general;
  stack_.back() = Value(stack_.back().AsNumber() - 1);
  ZP_SIMPLE_DONE();
arithmetic: {
  if (!hasNumbers(2)) goto general;
  const double a = stack_.back().AsNumber();
  stack_.pop_back();
  const double b = stack_.back().AsNumber();
  stack_.back() = Value(in->op == kActionSubtract ? b - a : in->op == kActionMultiply ? b * a : b + a);
  ZP_SIMPLE_DONE();
}
compare: {
  if (!hasNumbers(2)) goto general;
  const double a = stack_.back().AsNumber();
  stack_.pop_back();
  const double b = stack_.back().AsNumber();
  if (in->op == kActionLess2 || in->op == kActionGreater) {
    const double l = in->op == kActionLess2 ? b : a, r = in->op == kActionLess2 ? a : b;
    // A comparison with NaN is undefined, which tests as false.
    stack_.back() = std::isnan(l) || std::isnan(r) ? Value() : Truth(l < r, version);
  } else {
    stack_.back() = Truth(b == a, version);
  }
  ZP_SIMPLE_DONE();
}
#undef ZP_SIMPLE_DONE

advance:  // after a simple action whose next record is not simply the next instruction
  next = in->next;
  if (next > end) goto jumpOut;
  current = static_cast<int32_t>(in - instructions);
  if (in->followed) {
    ++current;
  } else {
    current = program.NextOf(current);
    instructions = program.instructions();
  }
  pc = next;
  goto top;

general: {
  current = static_cast<int32_t>(in - instructions);
  next = in->next;
  steps_ = steps;
  const Flow f = Step(c, end, current, next);
  if (f != Flow::kGoOn) return f;
  steps = steps_;
  maxSteps = maxSteps_;
  checkAll = true;
  if (next < begin || next > end) goto jumpOut;
  const ActionInstruction& done = program.instruction(current);
  if (next == done.next) {
    current = program.NextOf(current);
  } else if (static_cast<int64_t>(next) == done.jumpTarget) {
    current = program.JumpOf(current);
  } else {
    current = program.IndexAt(next);
  }
  instructions = program.instructions();
  pc = next;
  goto top;
}

jumpOut:
  steps_ = steps;
  jumpTarget_ = next;
  return Flow::kJumpOut;

finished:
  steps_ = steps;
  if (throwing_) {
    throwing_ = false;
    return Flow::kThrow;
  }
  return aborted_ ? Flow::kAbort : Flow::kNormal;
}

Vm::Flow Vm::Step(Context& c, size_t end, int32_t current, size_t& next) {
  ActionProgram& program = *c.program;
  const std::span<const uint8_t> code = program.code();
  const uint8_t version = c.version;
  auto pop = [&]() -> Value {
    if (stack_.size() <= c.stackBase) return Value();
    Value v = std::move(stack_.back());
    stack_.pop_back();
    return v;
  };
  auto push = [&](Value v) {
    if (stack_.size() < kMaxStack) stack_.push_back(std::move(v));
  };
  auto top = [&]() -> Value { return stack_.size() > c.stackBase ? stack_.back() : Value(); };
  auto text = [version](std::string_view bytes) { return DecodeMovieText(bytes, version); };
  auto popArgs = [&]() {
    const double n = ToNumber(pop());
    const size_t available = stack_.size() - c.stackBase;
    const size_t count = (n > 0 && !std::isnan(n)) ? std::min(static_cast<size_t>(std::min(n, 65535.0)), available) : 0;
    std::vector<Value> args(count);
    for (size_t i = 0; i < count; ++i) args[i] = pop();
    return args;
  };
  auto pushString = [&](std::u16string s) {
    if (CheckStringLength(s.size())) push(Value(std::move(s)));
  };
  auto clipFor = [&](const Value& v) -> Object* {
    if (v.IsObject()) return v.AsObject();
    const std::u16string path = ToString(v);
    if (path.empty()) return c.target;
    return ResolvePath(c, path).ObjectOrNull();
  };

  const ActionInstruction& in = program.instruction(current);
  if (in.damaged) {
    aborted_ = true;
    return Flow::kAbort;
  }
  const uint8_t op = in.op;
  const std::span<const uint8_t> data = op >= 0x80 ? code.subspan(in.offset + 3, in.dataLength) : std::span<const uint8_t>();
  ++steps_;
  BitReader args(data);
  if (in.timeline) host_.SetActionTarget(c.target);

  switch (op) {
    case kActionEnd: return Flow::kNormal;
    case kActionNextFrame: host_.NextFrame(); break;
    case kActionPrevFrame: host_.PrevFrame(); break;
    case kActionPlay: host_.Play(); break;
    case kActionStop: host_.Stop(); break;
    case kActionToggleQuality:
    case kActionStopSounds: break;
    case kActionAdd:
    case kActionSubtract:
    case kActionMultiply:
    case kActionDivide: {
      // The left operand (pushed first) converts first: valueOf runs in reading order.
      const Value right = pop();
      const Value left = pop();
      const double b = ToNumber(left);
      const double a = ToNumber(right);
      double r = 0;
      if (op == kActionAdd) r = b + a;
      if (op == kActionSubtract) r = b - a;
      if (op == kActionMultiply) r = b * a;
      if (op == kActionDivide) {
        // Version 4 movies print "#ERROR#" for a division by zero.
        if (a == 0 && version < 5) {
          push(Value(u"#ERROR#"));
          break;
        }
        r = b / a;
      }
      push(r);
      break;
    }
    case kActionEquals: {
      const double a = ToNumber(pop());
      const double b = ToNumber(pop());
      push(Truth(b == a, version));
      break;
    }
    case kActionLess: {
      const double a = ToNumber(pop());
      const double b = ToNumber(pop());
      push(Truth(b < a, version));
      break;
    }
    case kActionAnd:
    case kActionOr: {
      const bool a = ToBool(pop());
      const bool b = ToBool(pop());
      push(Truth(op == kActionAnd ? (a && b) : (a || b), version));
      break;
    }
    case kActionNot: push(Truth(!ToBool(pop()), version)); break;
    case kActionStringEquals:
    case kActionStringLess:
    case kActionStringGreater: {
      const auto a = ToString(pop());
      const auto b = ToString(pop());
      const bool r = op == kActionStringEquals ? a == b : op == kActionStringLess ? b < a : b > a;
      push(Truth(r, version));
      break;
    }
    case kActionStringLength:
    case kActionMBStringLength: push(static_cast<double>(ToString(pop()).size())); break;
    case kActionStringExtract:
    case kActionMBStringExtract: {
      const double count = ToNumber(pop());
      const double index = ToNumber(pop());
      const std::u16string s = ToString(pop());
      // The index counts from 1; out-of-range parts give what remains.
      double from = std::isnan(index) ? 0 : std::max(0.0, index - 1);
      if (from > static_cast<double>(s.size())) from = static_cast<double>(s.size());
      double n = std::isnan(count) ? 0 : count;
      if (n < 0 || from + n > static_cast<double>(s.size())) n = static_cast<double>(s.size()) - from;
      push(Value(s.substr(static_cast<size_t>(from), static_cast<size_t>(n))));
      break;
    }
    case kActionPop: pop(); break;
    case kActionToInteger: {
      const double v = ToNumber(pop());
      push(std::isnan(v) ? 0.0 : std::trunc(v));
      break;
    }
    case kActionGetVariable: push(LookupVariable(c, ToString(pop()))); break;
    case kActionSetVariable: {
      const Value value = pop();
      AssignVariable(c, ToString(pop()), value);
      break;
    }
    case kActionSetTarget2:
    case kActionSetTarget: {
      // An empty path or undefined goes back to the block's own timeline; anything else is
      // a clip or a path to one, and a path that leads nowhere aims at the root.
      Object* to = nullptr;
      const Value v = op == kActionSetTarget ? Value(text(args.CString())) : pop();
      if (v.IsUndefined() || (v.IsString() && v.AsString().empty())) {
        to = c.originalTarget;
      } else if (v.IsObject() && v.AsObject()->kind() == ObjectKind::kClip) {
        to = v.AsObject();
      } else if (!v.IsNull()) {
        const std::u16string path = ToString(v);
        Object* found = path.empty() ? c.originalTarget : ResolvePath(c, path).ObjectOrNull();
        if (found && found->kind() == ObjectKind::kClip) to = found;
      }
      c.target = to ? to : root_;
      break;
    }
    case kActionStringAdd: {
      const auto a = ToString(pop());
      const auto b = ToString(pop());
      pushString(b + a);
      break;
    }
    case kActionGetProperty: {
      const double index = ToNumber(pop());
      Object* clip = clipFor(pop());
      const size_t i = PropertyIndex(index);
      Value v = clip && i < std::size(kPropertyNames) ? GetMember(Value(clip), kPropertyNames[i]) : Value();
      // Version 4 knows no booleans: a flag such as _focusrect reads as 1 or 0.
      if (version < 5 && v.IsBool()) v = Value(v.AsBool() ? 1.0 : 0.0);
      push(std::move(v));
      break;
    }
    case kActionSetProperty: {
      const Value value = pop();
      const double index = ToNumber(pop());
      Object* clip = clipFor(pop());
      const size_t i = PropertyIndex(index);
      if (clip && i < std::size(kPropertyNames)) SetMember(Value(clip), kPropertyNames[i], value);
      break;
    }
    case kActionCloneSprite: {
      const Value depth = pop();
      const Value name = pop();
      const Value source = pop();
      const Value cloneArgs[] = {name, Value(ToNumber(depth) - 16384)};
      CallMethod(Value(clipFor(source)), u"duplicateMovieClip", cloneArgs);
      break;
    }
    case kActionRemoveSprite: CallMethod(Value(clipFor(pop())), u"removeMovieClip", {}); break;
    case kActionTrace: {
      // Whatever the version's conversion to text, trace shows undefined by its name.
      const Value v = pop();
      host_.Trace(v.IsUndefined() ? u"undefined" : ToString(v));
      break;
    }
    case kActionStartDrag: {
      pop();
      pop();
      if (ToBool(pop())) {
        for (int i = 0; i < 4; ++i) pop();
      }
      break;
    }
    case kActionEndDrag: break;
    case kActionThrow: thrown_ = pop(); return Flow::kThrow;
    case kActionCastOp: {
      const Value object = pop();
      const Value ctor = pop();
      push(InstanceOf(object, ctor.ObjectOrNull()) ? object : Value(Null{}));
      break;
    }
    case kActionImplementsOp: {
      const Value ctor = pop();
      std::vector<Value> list = popArgs();
      if (Object* proto = GetMember(ctor, u"prototype").ObjectOrNull()) {
        proto->interfaces.clear();
        for (const auto& v : list) {
          if (Object* i = v.ObjectOrNull()) proto->interfaces.push_back(i);
        }
      }
      break;
    }
    case kActionRandomNumber: {
      const double max = ToNumber(pop());
      push(max > 0 ? std::floor(Random() * std::floor(max)) : 0.0);
      break;
    }
    case kActionCharToAscii:
    case kActionMBCharToAscii: {
      const std::u16string s = ToString(pop());
      push(s.empty() ? 0.0 : static_cast<double>(s[0]));
      break;
    }
    case kActionAsciiToChar:
    case kActionMBAsciiToChar: {
      const double code16 = ToNumber(pop());
      const char16_t ch = static_cast<char16_t>(ToInt32(code16) & 0xFFFF);
      push(ch == 0 ? Value(u"") : Value(std::u16string(1, ch)));
      break;
    }
    case kActionGetTime: push(std::floor(clockMs_)); break;
    case kActionDelete: {
      const std::u16string name = ToString(pop());
      Object* o = pop().ObjectOrNull();
      push(Truth(o && o->DeleteOwn(name), version));
      break;
    }
    case kActionDelete2: {
      const std::u16string name = ToString(pop());
      bool deleted = false;
      for (Object* s = c.scope; s; s = s->scope) {
        Object* o = s->link ? s->link : c.target;
        if (o->FindOwn(name)) {
          deleted = o->DeleteOwn(name);
          break;
        }
      }
      push(Truth(deleted, version));
      break;
    }
    case kActionDefineLocal: {
      const Value value = pop();
      const std::u16string name = ToString(pop());
      if (c.activation) {
        c.activation->SetOwn(name, value);
      } else {
        AssignVariable(c, name, value);
      }
      break;
    }
    case kActionDefineLocal2: {
      const std::u16string name = ToString(pop());
      Object* on = c.activation ? c.activation : c.target;
      // A name the object already answers, through its prototypes too, stays as it is.
      if (!HasProperty(on, name)) on->SetOwn(name, Value());
      break;
    }
    case kActionCallFunction: {
      const std::u16string name = ToString(pop());
      const std::vector<Value> list = popArgs();
      const Value fn = LookupVariable(c, name);
      push(Call(fn, Value(c.target), list));
      break;
    }
    case kActionReturn: returned_ = pop(); return Flow::kReturn;
    case kActionModulo: {
      const double a = ToNumber(pop());
      const double b = ToNumber(pop());
      push(std::fmod(b, a));
      break;
    }
    case kActionNewObject: {
      const std::u16string name = ToString(pop());
      const std::vector<Value> list = popArgs();
      push(Construct(LookupVariable(c, name), list));
      break;
    }
    case kActionInitArray: {
      std::vector<Value> list = popArgs();
      push(Value(static_cast<Object*>(NewArray(std::move(list)))));
      break;
    }
    case kActionInitObject: {
      const double n = ToNumber(pop());
      Object* o = NewObject();
      const size_t count = n > 0 ? static_cast<size_t>(std::min(n, 65535.0)) : 0;
      std::vector<std::pair<std::u16string, Value>> pairs;
      for (size_t i = 0; i < count && stack_.size() > c.stackBase; ++i) {
        Value value = pop();
        pairs.emplace_back(ToString(pop()), std::move(value));
      }
      // The first pair written in the source is deepest in the stack, and is added first.
      for (auto it = pairs.rbegin(); it != pairs.rend(); ++it) SetMember(Value(o), it->first, it->second);
      push(Value(o));
      break;
    }
    case kActionTypeOf: push(Value(TypeOf(pop()))); break;
    case kActionTargetPath: {
      const Value v = pop();
      const Value path = v.IsObject() && v.AsObject()->kind() == ObjectKind::kClip ? GetMember(v, u"_target") : Value();
      push(path.IsUndefined() ? path : Value(path.ToString(version)));
      break;
    }
    case kActionEnumerate:
    case kActionEnumerate2: {
      const Value v = pop();
      const Value object = op == kActionEnumerate ? LookupVariable(c, ToString(v)) : v;
      push(Value(Null{}));
      if (Object* o = object.ObjectOrNull()) {
        // Pushed last first, so that the loop pops them in the order they are visited.
        auto names = EnumerableNames(o);
        for (auto it = names.rbegin(); it != names.rend(); ++it) push(Value(std::move(*it)));
      }
      break;
    }
    case kActionAdd2: {
      const Value a = ToPrimitive(pop());
      const Value b = ToPrimitive(pop());
      if (a.IsString() || b.IsString()) {
        pushString(ToString(b) + ToString(a));
      } else {
        push(b.ToNumber(version) + a.ToNumber(version));
      }
      break;
    }
    case kActionLess2:
    case kActionGreater: {
      const Value a = ToPrimitive(pop());
      const Value b = ToPrimitive(pop());
      const Value& left = op == kActionLess2 ? b : a;
      const Value& right = op == kActionLess2 ? a : b;
      if (left.IsString() && right.IsString()) {
        push(Truth(left.AsString() < right.AsString(), version));
      } else if (left.IsObject() || right.IsObject()) {
        push(Truth(false, version));  // an object its valueOf left as it is orders with nothing
      } else {
        const double l = left.ToNumber(version), r = right.ToNumber(version);
        // A comparison with NaN is undefined, which tests as false.
        push(std::isnan(l) || std::isnan(r) ? Value() : Truth(l < r, version));
      }
      break;
    }
    case kActionEquals2: {
      Value a = pop();
      Value b = pop();
      if (a.IsObject() != b.IsObject() && !a.IsNullish() && !b.IsNullish()) {
        a = ToPrimitive(a);
        b = ToPrimitive(b);
      }
      push(Truth(LooseEquals(b, a, version), version));
      break;
    }
    case kActionStrictEquals: {
      const Value a = pop();
      const Value b = pop();
      push(Truth(a == b, version));
      break;
    }
    case kActionToNumber: push(ToNumber(pop())); break;
    case kActionToString: push(Value(ToString(pop()))); break;
    case kActionPushDuplicate: push(top()); break;
    case kActionStackSwap: {
      Value a = pop();
      Value b = pop();
      push(std::move(a));
      push(std::move(b));
      break;
    }
    case kActionGetMember: {
      const Value name = pop();
      const Value object = pop();
      push(GetMember(object, name.IsString() ? name.AsString() : ToString(name)));
      break;
    }
    case kActionSetMember: {
      const Value value = pop();
      const Value name = pop();
      const Value object = pop();
      SetMember(object, name.IsString() ? name.AsString() : ToString(name), value);
      break;
    }
    case kActionIncrement: push(ToNumber(pop()) + 1); break;
    case kActionDecrement: push(ToNumber(pop()) - 1); break;
    case kActionCallMethod:
    case kActionNewMethod: {
      const Value nameValue = pop();
      const Value object = pop();
      const std::vector<Value> list = popArgs();
      const std::u16string name = nameValue.IsUndefined() ? std::u16string() : ToString(nameValue);
      Object* o = object.ObjectOrNull();
      if (op == kActionNewMethod) {
        push(Construct(name.empty() ? object : GetMember(object, name), list));
        break;
      }
      if (o && o->kind() == ObjectKind::kSuper) {
        // super(...) runs the parent constructor; super.m(...) the parent's method, both on
        // the same `this`.
        Object* base = o->target;
        Object* holder = nullptr;
        Value fn;
        if (name.empty()) {
          fn = GetMember(Value(o->link), u"__constructor__");
          if (!fn.IsObject() && base) fn = GetMember(Value(base), u"constructor");
          holder = base;
        } else if (base) {
          fn = Lookup(Value(base), name, &holder);
        }
        push(Call(fn, Value(o->scope), list, holder));
        break;
      }
      if (name.empty()) {
        push(Call(object, Value(), list));
        break;
      }
      Object* holder = nullptr;
      const Value fn = Lookup(object, name, &holder);
      push(Call(fn, object, list, holder));
      break;
    }
    case kActionInstanceOf: {
      const Value ctor = pop();
      const Value object = pop();
      push(Truth(InstanceOf(object, ctor.ObjectOrNull()), version));
      break;
    }
    case kActionBitAnd:
    case kActionBitOr:
    case kActionBitXor:
    case kActionBitLShift:
    case kActionBitRShift:
    case kActionBitURShift: {
      const int32_t a = ToInt32(ToNumber(pop()));
      const int32_t b = ToInt32(ToNumber(pop()));
      double r = 0;
      switch (op) {
        case kActionBitAnd: r = b & a; break;
        case kActionBitOr: r = b | a; break;
        case kActionBitXor: r = b ^ a; break;
        case kActionBitLShift: r = static_cast<int32_t>(static_cast<uint32_t>(b) << (a & 31)); break;
        case kActionBitRShift: r = b >> (a & 31); break;
        default: r = static_cast<uint32_t>(b) >> (a & 31); break;
      }
      push(r);
      break;
    }
    case kActionExtends: {
      const Value superclass = pop();
      const Value subclass = pop();
      Object* proto = NewObject();
      proto->SetProto(GetMember(superclass, u"prototype").ObjectOrNull());
      proto->Define(u"__constructor__", superclass, kDontEnum);
      SetMember(subclass, u"prototype", Value(proto));
      break;
    }
    case kActionGotoFrame: {
      const uint16_t frame = args.U16();
      if (args.ok()) host_.GotoFrame(frame);
      break;
    }
    case kActionGetUrl: {
      const auto url = text(args.CString());
      const auto target = text(args.CString());
      host_.GetUrl(url, target);
      break;
    }
    case kActionConstantPool: c.constants = program.pool(in); break;
    case kActionWaitForFrame:
    case kActionWaitForFrame2: {
      double frame = 0;
      if (op == kActionWaitForFrame) {
        frame = args.U16();
      } else {
        frame = ToNumber(pop()) - 1;
      }
      const uint8_t skip = args.U8();
      // Every frame of a movie in memory is loaded, and once a movie is whole, so counts any
      // frame number a timeline could have; beyond that, none ever loads.
      constexpr double kMostFrames = 16000;
      if (args.ok() && !(frame < static_cast<double>(host_.FrameCount()) || frame <= kMostFrames)) {
        for (uint8_t i = 0; i < skip && next < end; ++i) {
          const uint8_t skipped = code[next];
          size_t step = 1;
          if (skipped >= 0x80) {
            if (code.size() - next < 3) break;
            step = 3 + (code[next + 1] | (code[next + 2] << 8));
          }
          next = std::min(next + step, end);
        }
      }
      break;
    }
    case kActionGotoLabel: host_.GotoLabel(text(args.CString())); break;
    case kActionDefineFunction:
    case kActionDefineFunction2: {
      Object* fn = DefineFunctionAt(c, data, op == kActionDefineFunction2, next);
      if (!fn) {
        aborted_ = true;
        return Flow::kAbort;
      }
      BitReader nameReader(data);
      if (nameReader.CString().empty()) push(Value(fn));
      break;
    }
    case kActionTry: {
      const uint8_t flags = args.U8();
      const uint16_t trySize = args.U16();
      const uint16_t catchSize = args.U16();
      const uint16_t finallySize = args.U16();
      uint8_t catchRegister = 0;
      std::u16string catchName;
      if (flags & 0x04) {
        catchRegister = args.U8();
      } else {
        catchName = text(args.CString());
      }
      const size_t tryStart = next;
      const size_t catchStart = tryStart + trySize;
      const size_t finallyStart = catchStart + catchSize;
      const size_t after = finallyStart + finallySize;
      if (!args.ok() || after > code.size()) {
        aborted_ = true;
        return Flow::kAbort;
      }
      Flow flow = Exec(c, tryStart, catchStart);
      size_t jump = jumpTarget_;
      if (flow == Flow::kThrow && (flags & 0x01)) {
        const Value caught = std::exchange(thrown_, Value());
        if (flags & 0x04) {
          if (catchRegister < c.registers.size()) c.registers[catchRegister] = caught;
        } else if (c.activation) {
          c.activation->SetOwn(catchName, caught);
        } else {
          AssignVariable(c, catchName, caught);
        }
        flow = Exec(c, catchStart, finallyStart);
        jump = jumpTarget_;
      }
      if ((flags & 0x02) && flow != Flow::kAbort) {
        const Value pendingThrow = thrown_;
        const Value pendingReturn = returned_;
        const Flow finallyFlow = Exec(c, finallyStart, after);
        if (finallyFlow != Flow::kNormal) {
          flow = finallyFlow;
          jump = jumpTarget_;
        } else {
          thrown_ = pendingThrow;
          returned_ = pendingReturn;
        }
      }
      if (flow == Flow::kJumpOut) {
        next = jump;
      } else if (flow != Flow::kNormal) {
        return flow;
      } else {
        next = after;
      }
      break;
    }
    case kActionWith: {
      const uint16_t size = args.U16();
      const Value object = pop();
      if (!args.ok() || size > code.size() - next) {
        aborted_ = true;
        return Flow::kAbort;
      }
      const size_t bodyEnd = next + size;
      Object* o = object.ObjectOrNull();
      if (!o && (object.IsString() || object.IsNumber() || object.IsBool())) {
        // A primitive is searched through a wrapper of its kind (a string's length...).
        o = heap_.Make(object.IsString() ? ObjectKind::kString : object.IsNumber() ? ObjectKind::kNumber
                                                                                    : ObjectKind::kBoolean);
        o->primitive = object;
        o->SetProto(object.IsString() ? stringProto : object.IsNumber() ? numberProto : booleanProto);
        if (object.IsString()) {
          o->Define(u"length", Value(static_cast<double>(object.AsString().size())), kDontEnum | kReadOnly);
        }
      }
      if (o) {
        Object* outer = c.scope;
        c.scope = MakeScope(o, outer);
        const Flow flow = Exec(c, next, bodyEnd);
        c.scope = outer;
        if (flow == Flow::kJumpOut) {
          next = jumpTarget_;
        } else if (flow != Flow::kNormal) {
          return flow;
        } else {
          next = bodyEnd;
        }
      } else {
        next = bodyEnd;  // with on nothing skips its body
      }
      break;
    }
    case kActionGetUrl2: {
      const auto target = ToString(pop());
      const auto url = ToString(pop());
      host_.GetUrl(url, target);
      break;
    }
    case kActionCall: {
      const double frame = ToNumber(pop());
      if (frame >= 1 && frame <= 65536) host_.CallFrame(static_cast<uint32_t>(frame) - 1);
      break;
    }
    case kActionGotoFrame2: {
      const uint8_t flags = args.U8();
      uint32_t bias = 0;
      if (flags & 0x02) bias = args.U16();
      Value frame = pop();
      // "path:frame" goes to a frame of the timeline the path names.
      bool retarget = false;
      if (frame.IsString()) {
        const std::u16string where = frame.AsString();
        const size_t colon = where.rfind(u':');
        if (colon != std::u16string::npos) {
          Object* clip = colon == 0 ? c.target : ResolvePath(c, std::u16string_view(where).substr(0, colon)).ObjectOrNull();
          if (!clip || clip->kind() != ObjectKind::kClip) break;
          host_.SetActionTarget(clip);
          retarget = true;
          frame = Value(where.substr(colon + 1));
        }
      }
      if (frame.IsString()) {
        const double number = TextToNumber(frame.AsString());
        if (std::isnan(number)) {
          host_.GotoLabel(frame.AsString());
        } else if (number >= 1) {
          host_.GotoFrame(static_cast<uint32_t>(std::min(number, 4294967295.0)) - 1 + bias);
        }
      } else {
        // Frame numbers on the stack count from 1.
        const double number = ToNumber(frame);
        if (number >= 1) host_.GotoFrame(static_cast<uint32_t>(std::min(number - 1 + bias, 4294967295.0)));
      }
      if (flags & 0x01) host_.Play(); else host_.Stop();
      if (retarget) host_.SetActionTarget(c.target);
      break;
    }
    default:
      break;  // not part of this player: skipped by its length
  }
  return Flow::kGoOn;
}

// ---- timers and collection -----------------------------------------------------------------

int32_t Vm::AddInterval(const Value& object, const Value& function, std::u16string name, double periodMs,
                        std::vector<Value> args, bool once) {
  constexpr size_t kMaxIntervals = 1000;
  if (intervals_.size() >= kMaxIntervals) return 0;
  const double period = std::isnan(periodMs) ? 0 : std::max(periodMs, 10.0);
  intervals_.push_back({nextIntervalId_, object, function, std::move(name), period, clockMs_ + period, std::move(args), once});
  return nextIntervalId_++;
}

bool Vm::ClearInterval(int32_t id) {
  const auto it = std::find_if(intervals_.begin(), intervals_.end(), [id](const Interval& i) { return i.id == id; });
  if (it == intervals_.end()) return false;
  intervals_.erase(it);
  return true;
}

size_t Vm::RunMethod(const Value& object, std::u16string_view name, std::span<const Value> args, size_t maxActions) {
  const Value fn = GetMember(object, name);
  if (!fn.IsObject() || fn.AsObject()->kind() != ObjectKind::kFunction) return 0;
  if (runDepth_ > 0) {  // from inside a running block: part of its budget
    Call(fn, object, args);
    return 0;
  }
  steps_ = 0;
  maxSteps_ = maxActions;
  aborted_ = throwing_ = false;
  depth_ = 0;
  ++runDepth_;
  Call(fn, object, args);
  --runDepth_;
  aborted_ = throwing_ = false;
  thrown_ = returned_ = Value();
  return steps_;
}

void Vm::RunTimers(size_t maxActions) {
  std::vector<int32_t> due;
  for (auto& i : intervals_) {
    if (clockMs_ >= i.nextMs) due.push_back(i.id);
  }
  for (int32_t id : due) {
    const auto it = std::find_if(intervals_.begin(), intervals_.end(), [id](const Interval& i) { return i.id == id; });
    if (it == intervals_.end()) continue;  // cleared by an earlier one
    it->nextMs = std::max(it->nextMs + it->periodMs, clockMs_);
    const Interval interval = *it;
    if (interval.once) intervals_.erase(it);
    steps_ = 0;
    maxSteps_ = maxActions;
    aborted_ = throwing_ = false;
    depth_ = 0;
    ++runDepth_;
    if (interval.name.empty()) {
      Call(interval.function, Value(), interval.args);
    } else {
      CallMethod(interval.object, interval.name, interval.args);
    }
    --runDepth_;
    aborted_ = throwing_ = false;
  }
}

void Vm::Collect(const std::vector<Object*>& extraRoots) {
  std::vector<Object*> roots = extraRoots;
  for (Object* o : {global_, root_, globalScope_, objectProto, functionProto, arrayProto, stringProto, numberProto,
                    booleanProto, dateProto, movieClipProto, textFieldProto, buttonProto, videoProto}) {
    roots.push_back(o);
  }
  std::vector<Value> values;
  for (const auto& i : intervals_) {
    values.push_back(i.object);
    values.push_back(i.function);
    values.insert(values.end(), i.args.begin(), i.args.end());
  }
  values.insert(values.end(), stack_.begin(), stack_.end());
  heap_.Collect(roots, values);
  collectAt_ = std::max<size_t>(20000, heap_.Count() * 2);
}

void Vm::MaybeCollect(const std::vector<Object*>& extraRoots) {
  if (heap_.Count() >= collectAt_) Collect(extraRoots);
}

}  // namespace zp::swf
