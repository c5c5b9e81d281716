// Array and its methods, sort with its flags included.
#include <algorithm>
#include <cmath>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_vm.h"
#include "core/text.h"

namespace zp::swf {
namespace {

enum SortFlag : int32_t {
  kCaseInsensitive = 1,
  kDescending = 2,
  kUniqueSort = 4,
  kReturnIndexedArray = 8,
  kNumeric = 16,
};

ArrayObject* Self(const Value& self) { return dynamic_cast<ArrayObject*>(self.ObjectOrNull()); }

Value Make(Vm& vm, std::vector<Value> elements) { return Value(static_cast<Object*>(vm.NewArray(std::move(elements)))); }

Value ArrayCall(Vm& vm, const Value&, std::span<const Value> args) {
  if (args.size() == 1 && args[0].IsNumber()) {
    const double n = args[0].AsNumber();
    if (n >= 0 && n == std::floor(n) && vm.CheckArrayLength(n)) return Make(vm, std::vector<Value>(static_cast<size_t>(n)));
    return Make(vm, {});
  }
  return Make(vm, std::vector<Value>(args.begin(), args.end()));
}

// Index arguments: negative counts from the end; the result lies in 0..length.
size_t Clamp(Vm& vm, const Value& v, size_t length, size_t fallback) {
  if (v.IsUndefined()) return fallback;
  double i = vm.ToNumber(v);
  if (std::isnan(i)) return 0;
  i = std::trunc(i);
  if (i < 0) i += static_cast<double>(length);
  return static_cast<size_t>(std::clamp(i, 0.0, static_cast<double>(length)));
}

Value Push(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* a = Self(self);
  if (!a) return Value();
  if (!vm.CheckArrayLength(static_cast<double>(a->elements.size() + args.size()))) return Value();
  a->elements.insert(a->elements.end(), args.begin(), args.end());
  return Value(static_cast<double>(a->elements.size()));
}

Value Pop(Vm&, const Value& self, std::span<const Value>) {
  ArrayObject* a = Self(self);
  if (!a || a->elements.empty()) return Value();
  Value v = a->elements.back();
  a->elements.pop_back();
  return v;
}

Value Shift(Vm&, const Value& self, std::span<const Value>) {
  ArrayObject* a = Self(self);
  if (!a || a->elements.empty()) return Value();
  Value v = a->elements.front();
  a->elements.erase(a->elements.begin());
  return v;
}

Value Unshift(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* a = Self(self);
  if (!a) return Value();
  if (!vm.CheckArrayLength(static_cast<double>(a->elements.size() + args.size()))) return Value();
  a->elements.insert(a->elements.begin(), args.begin(), args.end());
  return Value(static_cast<double>(a->elements.size()));
}

std::u16string Join(Vm& vm, ArrayObject* a, std::u16string_view separator) {
  std::u16string out;
  for (size_t i = 0; i < a->elements.size(); ++i) {
    if (i) out += separator;
    const Value& v = a->elements[i];
    if (!v.IsNullish()) out += vm.ToString(v);
    if (!vm.CheckStringLength(out.size()) || vm.aborted()) return {};
  }
  return out;
}

Value JoinMethod(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* a = Self(self);
  if (!a) return Value();
  const std::u16string separator = args.empty() || args[0].IsUndefined() ? u"," : vm.ToString(args[0]);
  return Value(Join(vm, a, separator));
}

Value ToStringMethod(Vm& vm, const Value& self, std::span<const Value>) {
  ArrayObject* a = Self(self);
  return a ? Value(Join(vm, a, u",")) : Value(u"[object Object]");
}

Value Reverse(Vm&, const Value& self, std::span<const Value>) {
  if (ArrayObject* a = Self(self)) std::reverse(a->elements.begin(), a->elements.end());
  return self;
}

Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* a = Self(self);
  std::vector<Value> out = a ? a->elements : std::vector<Value>{self};
  for (const auto& v : args) {
    if (ArrayObject* other = Self(v)) {
      out.insert(out.end(), other->elements.begin(), other->elements.end());
    } else {
      out.push_back(v);
    }
    if (!vm.CheckArrayLength(static_cast<double>(out.size()))) return Value();
  }
  return Make(vm, std::move(out));
}

Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* a = Self(self);
  if (!a) return Value();
  const size_t n = a->elements.size();
  const size_t from = Clamp(vm, Arg(args, 0), n, 0);
  const size_t to = Clamp(vm, Arg(args, 1), n, n);
  if (to <= from) return Make(vm, {});
  return Make(vm, std::vector<Value>(a->elements.begin() + from, a->elements.begin() + to));
}

Value Splice(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* a = Self(self);
  if (!a || args.empty()) return Value();
  const size_t n = a->elements.size();
  const size_t from = Clamp(vm, args[0], n, 0);
  size_t count = n - from;
  if (args.size() > 1) {
    const double c = vm.ToNumber(args[1]);
    count = std::isnan(c) || c < 0 ? 0 : static_cast<size_t>(std::min(c, static_cast<double>(n - from)));
  }
  std::vector<Value> removed(a->elements.begin() + from, a->elements.begin() + from + count);
  a->elements.erase(a->elements.begin() + from, a->elements.begin() + from + count);
  if (args.size() > 2) {
    if (!vm.CheckArrayLength(static_cast<double>(a->elements.size() + args.size() - 2))) return Value();
    a->elements.insert(a->elements.begin() + from, args.begin() + 2, args.end());
  }
  return Make(vm, std::move(removed));
}

// Compares two values the way sort orders them: -1, 0 or 1.
int Compare(Vm& vm, const Value& a, const Value& b, int32_t flags, const Value& compare) {
  if (compare.IsObject()) {
    const Value pair[] = {a, b};
    const double r = vm.ToNumber(vm.Call(compare, Value(), pair));
    return r < 0 ? -1 : r > 0 ? 1 : 0;
  }
  // undefined sorts last whatever the order.
  if (a.IsUndefined() || b.IsUndefined()) return a.IsUndefined() == b.IsUndefined() ? 0 : a.IsUndefined() ? 1 : -1;
  if (flags & kNumeric) {
    const double x = vm.ToNumber(a), y = vm.ToNumber(b);
    return x < y ? -1 : x > y ? 1 : 0;
  }
  std::u16string x = vm.ToString(a), y = vm.ToString(b);
  if (flags & kCaseInsensitive) {
    for (auto& ch : x) ch = AsciiLower(ch);
    for (auto& ch : y) ch = AsciiLower(ch);
  }
  return x < y ? -1 : x > y ? 1 : 0;
}

// A stable merge sort that stays in bounds whatever the comparison answers (a script's
// comparison need not be consistent, which the standard sorts do not allow).
template <typename Less>
void MergeSort(std::vector<size_t>& items, Less less) {
  std::vector<size_t> buffer(items.size());
  for (size_t width = 1; width < items.size(); width *= 2) {
    for (size_t lo = 0; lo < items.size(); lo += 2 * width) {
      const size_t mid = std::min(lo + width, items.size());
      const size_t hi = std::min(lo + 2 * width, items.size());
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) buffer[k++] = less(items[j], items[i]) ? items[j++] : items[i++];
      while (i < mid) buffer[k++] = items[i++];
      while (j < hi) buffer[k++] = items[j++];
    }
    items.swap(buffer);
  }
}

// Sorts the indices of `keys` (stable), honouring the flags; false when UNIQUESORT finds equals.
bool SortOrder(Vm& vm, const std::vector<Value>& keys, int32_t flags, const Value& compare, std::vector<size_t>& order) {
  order.resize(keys.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  MergeSort(order, [&](size_t x, size_t y) {
    if (vm.aborted()) return false;
    const int c = Compare(vm, keys[x], keys[y], flags, compare);
    return (flags & kDescending) ? c > 0 : c < 0;
  });
  if (flags & kUniqueSort) {
    for (size_t i = 1; i < order.size(); ++i) {
      if (Compare(vm, keys[order[i - 1]], keys[order[i]], flags, compare) == 0) return false;
    }
  }
  return true;
}

Value Finish(Vm& vm, ArrayObject* a, const std::vector<size_t>& order, int32_t flags) {
  if (flags & kReturnIndexedArray) {
    std::vector<Value> indices;
    for (size_t i : order) indices.push_back(Value(static_cast<double>(i)));
    return Make(vm, std::move(indices));
  }
  std::vector<Value> sorted;
  for (size_t i : order) sorted.push_back(a->elements[i]);
  a->elements = std::move(sorted);
  return Value(static_cast<Object*>(a));
}

Value Sort(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* a = Self(self);
  if (!a) return Value();
  Value compare;
  int32_t flags = 0;
  size_t at = 0;
  if (Arg(args, 0).IsObject()) compare = args[at++];
  if (at < args.size()) flags = ToInt32(vm.ToNumber(args[at]));
  std::vector<size_t> order;
  if (!SortOrder(vm, a->elements, flags, compare, order)) return Value(0.0);
  return Finish(vm, a, order, flags);
}

Value SortOn(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* a = Self(self);
  if (!a) return Value();
  std::vector<std::u16string> fields;
  if (ArrayObject* list = Self(Arg(args, 0))) {
    for (const auto& v : list->elements) fields.push_back(vm.ToString(v));
  } else {
    fields.push_back(vm.ToString(Arg(args, 0)));
  }
  const int32_t flags = args.size() > 1 ? ToInt32(vm.ToNumber(args[1])) : 0;
  std::vector<size_t> order(a->elements.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  MergeSort(order, [&](size_t x, size_t y) {
    for (const auto& field : fields) {
      if (vm.aborted()) return false;
      const int c = Compare(vm, vm.GetMember(a->elements[x], field), vm.GetMember(a->elements[y], field), flags, Value());
      if (c != 0) return (flags & kDescending) ? c > 0 : c < 0;
    }
    return false;
  });
  return Finish(vm, a, order, flags);
}

}  // namespace

void InstallArray(Vm& vm) {
  Object* array = MakeConstructor(vm, u"Array", ArrayCall, ArrayCall, vm.arrayProto);
  const uint8_t constant = kDontEnum | kDontDelete | kReadOnly;
  array->Define(u"CASEINSENSITIVE", Value(kCaseInsensitive), constant);
  array->Define(u"DESCENDING", Value(kDescending), constant);
  array->Define(u"UNIQUESORT", Value(kUniqueSort), constant);
  array->Define(u"RETURNINDEXEDARRAY", Value(kReturnIndexedArray), constant);
  array->Define(u"NUMERIC", Value(kNumeric), constant);
  Object* p = vm.arrayProto;
  vm.Method(p, u"push", Push);
  vm.Method(p, u"pop", Pop);
  vm.Method(p, u"shift", Shift);
  vm.Method(p, u"unshift", Unshift);
  vm.Method(p, u"join", JoinMethod);
  vm.Method(p, u"toString", ToStringMethod);
  vm.Method(p, u"reverse", Reverse);
  vm.Method(p, u"concat", Concat);
  vm.Method(p, u"slice", Slice);
  vm.Method(p, u"splice", Splice);
  vm.Method(p, u"sort", Sort);
  vm.Method(p, u"sortOn", SortOn);
}

}  // namespace zp::swf
