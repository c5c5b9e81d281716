// The ActionScript machine of one movie: its heap, the global object with the built-ins, the
// interpreter of action blocks and function bodies, and the timers of setInterval.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/swf/swf_action_program.h"
#include "core/swf/swf_actions.h"
#include "core/swf/swf_object.h"
#include "core/swf/swf_value.h"
#include "core/swf/swf_value_stack.h"

namespace zp::swf {

// Limits that keep a movie that asks for too much from crashing or freezing the player.
struct VmBudget {
  size_t callDepth = 256;          // nested function calls, as a complete player allows
  size_t arrayLength = 1u << 22;   // elements of one array
  size_t stringLength = 1u << 24;  // code units of one string
  size_t objects = 2000000;        // live objects
};

class Vm {
 public:
  Vm(uint8_t version, ActionHost& host, Object* rootTimeline = nullptr);
  ~Vm();
  Vm(const Vm&) = delete;
  Vm& operator=(const Vm&) = delete;

  uint8_t version() const { return version_; }
  Heap& heap() { return heap_; }
  ActionHost& host() { return host_; }
  Object* global() const { return global_; }
  Object* root() const { return root_; }
  const VmBudget& budget() const { return budget_; }
  void SetBudget(const VmBudget& b) { budget_ = b; }

  // Runs a top-level block (a frame's actions) with `target` as its timeline, executing at
  // most `maxActions` actions (functions it calls included).
  ActionRunResult RunBlock(std::span<const uint8_t> code, Object* target, size_t maxActions);
  // Calls `object`'s method `name` when it has one (an event handler such as onEnterFrame),
  // as a block of its own: at most `maxActions` actions. Returns the actions carried out.
  size_t RunMethod(const Value& object, std::u16string_view name, std::span<const Value> args, size_t maxActions);

  // Variables by name or path ("a", "a.b", "/:a", "_root.a"), from the root timeline.
  Value GetVariable(std::u16string_view path);
  void SetVariable(std::u16string_view path, const Value& value);

  // Conversions that may call the object's valueOf or toString.
  Value ToPrimitive(const Value& v, bool preferString = false);
  double ToNumber(const Value& v);
  std::u16string ToString(const Value& v);
  bool ToBool(const Value& v) const { return v.ToBool(version_); }

  // Properties through prototypes, getters and setters.
  Value GetMember(const Value& object, std::u16string_view name);
  void SetMember(const Value& object, std::u16string_view name, const Value& value);
  bool HasProperty(Object* object, std::u16string_view name);
  // Calls a function; `home` is the object the method was found on (for `super`).
  Value Call(const Value& function, const Value& self, std::span<const Value> args, Object* home = nullptr);
  Value CallMethod(const Value& object, std::u16string_view name, std::span<const Value> args);
  Value Construct(const Value& constructor, std::span<const Value> args);
  bool InstanceOf(const Value& object, Object* constructor);
  // Enumerable names of an object and its prototypes, as for..in visits them.
  std::vector<std::u16string> EnumerableNames(Object* object);

  Object* NewObject();
  ArrayObject* NewArray(std::vector<Value> elements = {});
  Object* NewFunction(NativeFunction fn, NativeFunction construct = nullptr);
  // Adds a native method to an object, hidden from enumeration.
  Object* Method(Object* on, std::u16string_view name, NativeFunction fn);

  // Whether an array may grow to `length`; false stops the block that asked.
  bool CheckArrayLength(double length);
  // A string longer than the budget stops the block.
  bool CheckStringLength(size_t length);
  // Ends every running block (budget spent, runaway recursion).
  void Abort() { aborted_ = true; }
  bool aborted() const { return aborted_; }
  // An exception thrown by a native function; scripts can catch it.
  void Throw(const Value& value);
  bool throwing() const { return throwing_; }

  // Prototypes the built-ins share.
  Object* objectProto = nullptr;
  Object* functionProto = nullptr;
  Object* arrayProto = nullptr;
  Object* stringProto = nullptr;
  Object* numberProto = nullptr;
  Object* booleanProto = nullptr;
  Object* dateProto = nullptr;
  Object* movieClipProto = nullptr;
  Object* textFieldProto = nullptr;
  Object* buttonProto = nullptr;
  Object* videoProto = nullptr;

  // The clock for getTimer and the interval timers: milliseconds since the movie started.
  void SetClock(double ms) { clockMs_ = ms; }
  double clock() const { return clockMs_; }
  // Intervals due at the current clock run (each at most once per call).
  void RunTimers(size_t maxActions);
  // Returns the interval's id, or 0 when too many are running. `once` makes a timeout.
  int32_t AddInterval(const Value& object, const Value& function, std::u16string name, double periodMs,
                      std::vector<Value> args, bool once = false);
  bool ClearInterval(int32_t id);

  // Frees unreachable objects; call only between blocks. `extraRoots` are objects the caller
  // still refers to.
  void Collect(const std::vector<Object*>& extraRoots = {});
  // Collects when the heap has grown enough since the last time.
  void MaybeCollect(const std::vector<Object*>& extraRoots = {});

  // Random numbers for Math.random and RandomNumber, from a fixed seed per movie.
  double Random();

 private:
  struct Context;
  // kGoOn: the action is done and the block carries on (never leaves Exec).
  enum class Flow { kNormal, kReturn, kThrow, kAbort, kJumpOut, kGoOn };
  struct Interval {
    int32_t id;
    Value object;
    Value function;
    std::u16string name;
    double periodMs;
    double nextMs;
    std::vector<Value> args;
    bool once;
  };

  Flow Exec(Context& c, size_t begin, size_t end);
  // One action of any kind; `next` is where the block goes on.
  Flow Step(Context& c, size_t end, int32_t current, size_t& next);
  // The checks before an action: an abort or a throw pending, the budget spent. kGoOn when
  // none stops the block.
  Flow Interruption();
  // The decoded form of a top-level block, kept while the same bytes keep coming back.
  std::shared_ptr<ActionProgram> ProgramFor(std::span<const uint8_t> code);
  Value CallScript(Object* fn, const Value& self, std::span<const Value> args, Object* home);
  Object* DefineFunctionAt(Context& c, std::span<const uint8_t> data, bool function2, size_t& next);
  Value LookupVariable(Context& c, std::u16string_view name);
  void AssignVariable(Context& c, std::u16string_view name, const Value& value);
  Value ResolvePath(Context& c, std::u16string_view path);
  Value ResolveName(Context& c, std::u16string_view name, bool* found);
  Value Lookup(const Value& object, std::u16string_view name, Object** holder);
  Object* MakeScope(Object* object, Object* outer);
  Object* SuperFor(Context& c);
  std::u16string TypeOf(const Value& v) const;

  uint8_t version_;
  ActionHost& host_;
  VmBudget budget_;
  Heap heap_;
  Object* global_ = nullptr;
  Object* root_ = nullptr;
  Object* globalScope_ = nullptr;
  ValueStack stack_;
  size_t depth_ = 0;
  size_t runDepth_ = 0;
  size_t steps_ = 0;
  size_t maxSteps_ = 0;
  bool aborted_ = false;
  bool throwing_ = false;
  Value thrown_;
  Value returned_;
  size_t jumpTarget_ = 0;
  double clockMs_ = 0;
  std::vector<Interval> intervals_;
  int32_t nextIntervalId_ = 1;
  size_t collectAt_ = 20000;
  uint64_t randomState_ = 0x2545F4914F6CDD1DULL;
  std::unordered_map<const uint8_t*, std::shared_ptr<ActionProgram>> programs_;
  size_t programBytes_ = 0;
};

// Installs Object, Function, Array, String, Number, Boolean, Math, Date and the global
// functions on the machine's global object.
void InstallBuiltins(Vm& vm);

}  // namespace zp::swf
