// Objects of the action machine: property maps with flags, prototypes, functions and arrays,
// and the heap that owns them. The heap frees unreachable objects only between frames, when the
// only references are those the roots (globals, timelines, timers) hold, so the machine may keep
// plain pointers while it runs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/swf/swf_value.h"

namespace zp::swf {

class Vm;
class Object;
class ActionProgram;

enum PropertyFlag : uint8_t {
  kDontEnum = 1,
  kDontDelete = 2,
  kReadOnly = 4,
};

struct Property {
  Value value;
  uint8_t flags = 0;
  Object* getter = nullptr;  // addProperty: reads and writes go through these functions
  Object* setter = nullptr;
};

enum class ObjectKind : uint8_t {
  kObject,
  kFunction,
  kArray,
  kString,   // a String wrapper; `primitive` holds the text
  kNumber,   // `primitive` holds the number
  kBoolean,  // `primitive` holds the boolean
  kDate,     // `primitive` holds milliseconds since 1970 (UTC)
  kClip,     // a timeline (movie clip)
  kScope,    // one link of a scope chain
  kSuper,    // the `super` of a method
  kArguments,
};

// A native function: `self` is the value it was called on, the result is what it returns.
using NativeFunction = Value (*)(Vm& vm, const Value& self, std::span<const Value> args);

// What a script function keeps from its definition.
struct ScriptCode {
  std::shared_ptr<ActionProgram> body;  // decoded once, shared by every function made from it
  std::vector<std::u16string> params;
  std::vector<uint8_t> paramRegisters;  // DefineFunction2: 0 = by name, else the register
  uint8_t registerCount = 0;
  uint16_t flags = 0;  // DefineFunction2 preload and suppress flags
  bool function2 = false;
  uint8_t version = 0;
  std::shared_ptr<const std::vector<Value>> constants;  // the pool in force at the definition
};

class Object {
 public:
  explicit Object(ObjectKind kind = ObjectKind::kObject) : kind_(kind) {}
  virtual ~Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  ObjectKind kind() const { return kind_; }
  Object* proto() const { return proto_; }
  void SetProto(Object* proto) { proto_ = proto; }

  // Own properties only, without getters. Names compare exactly, or without regard to case in
  // movies before version 7 (the heap says which).
  Property* FindOwn(std::u16string_view name);
  // Sets or adds an own property; a read-only one keeps its value.
  void SetOwn(std::u16string_view name, Value value, uint8_t flags = 0);
  // Adds or replaces, flags and all (built-ins use this).
  void Define(std::u16string_view name, Value value, uint8_t flags = kDontEnum);
  bool DeleteOwn(std::u16string_view name);
  // Own enumerable names, most recently added first (the order for..in gives).
  virtual void OwnKeys(std::vector<std::u16string>& out, bool includeHidden = false) const;

  // Properties a kind computes instead of storing (an array's length and elements, a clip's
  // position...). Return true when the name was theirs.
  virtual bool GetSpecial(Vm& vm, std::u16string_view name, Value& out) {
    (void)vm, (void)name, (void)out;
    return false;
  }
  virtual bool SetSpecial(Vm& vm, std::u16string_view name, const Value& value) {
    (void)vm, (void)name, (void)value;
    return false;
  }
  // Everything this object refers to, for the collector.
  virtual void Trace(std::vector<Object*>& out) const;

  // Wrapper objects (String, Number, Boolean, Date) keep their primitive here.
  Value primitive;
  // Functions.
  NativeFunction native = nullptr;
  NativeFunction construct = nullptr;  // for `new` of a built-in that makes its own object
  std::unique_ptr<ScriptCode> script;
  Object* scope = nullptr;   // the scope chain a script function was defined in
  Object* target = nullptr;  // the timeline a script function was defined on
  // Scopes: the object of this link and the link outside it. Supers: `scope` is the `this`,
  // `target` the prototype that method lookups start from.
  Object* link = nullptr;
  // Interfaces an object's constructor implements (ImplementsOp).
  std::vector<Object*> interfaces;

  bool marked = false;

 protected:
  struct Entry {
    std::u16string name;
    Property property;
  };
  Entry* FindEntry(std::u16string_view name);
  void RebuildIndex();
  std::vector<Entry> entries_;

 private:
  friend class Heap;
  ObjectKind kind_;
  Object* proto_ = nullptr;
  bool caseSensitive_ = true;
  std::unique_ptr<std::unordered_map<std::u16string, uint32_t>> index_;  // for larger maps
};

// An array: dense elements plus ordinary properties.
class ArrayObject final : public Object {
 public:
  ArrayObject() : Object(ObjectKind::kArray) {}
  std::vector<Value> elements;
  bool GetSpecial(Vm& vm, std::u16string_view name, Value& out) override;
  bool SetSpecial(Vm& vm, std::u16string_view name, const Value& value) override;
  void OwnKeys(std::vector<std::u16string>& out, bool includeHidden) const override;
  void Trace(std::vector<Object*>& out) const override;
};

// "0", "12": a canonical array index, or -1.
int64_t ArrayIndex(std::u16string_view name);

// Owns every object of one movie. Between frames `Collect` frees what the roots no longer
// reach; `Count` is checked against the budget while actions run.
class Heap {
 public:
  explicit Heap(bool caseSensitive) : caseSensitive_(caseSensitive) {}
  ~Heap();
  Heap(const Heap&) = delete;
  Heap& operator=(const Heap&) = delete;

  template <typename T = Object, typename... Args>
  T* Make(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    Adopt(object);
    return object;
  }
  size_t Count() const { return objects_.size(); }
  bool caseSensitive() const { return caseSensitive_; }
  // Frees every object the roots do not reach. Returns how many were freed.
  size_t Collect(const std::vector<Object*>& roots, const std::vector<Value>& rootValues);
  // Takes ownership of an object made elsewhere.
  void Adopt(Object* object);

 private:
  bool caseSensitive_;
  std::vector<Object*> objects_;
};

}  // namespace zp::swf
