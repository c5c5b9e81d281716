#include "core/swf/swf_object.h"

#include <algorithm>
#include <cmath>

#include "core/swf/swf_vm.h"
#include "core/text.h"

namespace zp::swf {
namespace {

// Small maps are searched in order; larger ones get a hash index.
constexpr size_t kIndexFrom = 12;

std::u16string Folded(std::u16string_view name) {
  std::u16string out(name);
  for (auto& c : out) c = AsciiLower(c);
  return out;
}

bool SameName(std::u16string_view a, std::u16string_view b, bool caseSensitive) {
  return caseSensitive ? a == b : EqualsNoCase(a, b);
}

}  // namespace

Object::Entry* Object::FindEntry(std::u16string_view name) {
  if (index_) {
    const auto it = caseSensitive_ ? index_->find(std::u16string(name)) : index_->find(Folded(name));
    return it == index_->end() ? nullptr : &entries_[it->second];
  }
  for (auto& e : entries_) {
    if (SameName(e.name, name, caseSensitive_)) return &e;
  }
  return nullptr;
}

void Object::RebuildIndex() {
  if (entries_.size() < kIndexFrom) {
    index_.reset();
    return;
  }
  if (!index_) index_ = std::make_unique<std::unordered_map<std::u16string, uint32_t>>();
  index_->clear();
  for (uint32_t i = 0; i < entries_.size(); ++i) {
    index_->emplace(caseSensitive_ ? entries_[i].name : Folded(entries_[i].name), i);
  }
}

Property* Object::FindOwn(std::u16string_view name) {
  Entry* e = FindEntry(name);
  return e ? &e->property : nullptr;
}

void Object::SetOwn(std::u16string_view name, Value value, uint8_t flags) {
  if (Entry* e = FindEntry(name)) {
    if (!(e->property.flags & kReadOnly)) e->property.value = std::move(value);
    return;
  }
  Define(name, std::move(value), flags);
}

void Object::Define(std::u16string_view name, Value value, uint8_t flags) {
  if (Entry* e = FindEntry(name)) {
    e->property = Property{std::move(value), flags, nullptr, nullptr};
    return;
  }
  entries_.push_back(Entry{std::u16string(name), Property{std::move(value), flags, nullptr, nullptr}});
  if (index_) {
    index_->emplace(caseSensitive_ ? std::u16string(name) : Folded(name), static_cast<uint32_t>(entries_.size() - 1));
  } else if (entries_.size() >= kIndexFrom) {
    RebuildIndex();
  }
}

bool Object::DeleteOwn(std::u16string_view name) {
  Entry* e = FindEntry(name);
  if (!e || (e->property.flags & kDontDelete)) return false;
  entries_.erase(entries_.begin() + (e - entries_.data()));
  RebuildIndex();
  return true;
}

void Object::OwnKeys(std::vector<std::u16string>& out, bool includeHidden) const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    if (includeHidden || !(it->property.flags & kDontEnum)) out.push_back(it->name);
  }
}

void Object::Trace(std::vector<Object*>& out) const {
  if (proto_) out.push_back(proto_);
  for (const auto& e : entries_) {
    if (Object* o = e.property.value.ObjectOrNull()) out.push_back(o);
    if (e.property.getter) out.push_back(e.property.getter);
    if (e.property.setter) out.push_back(e.property.setter);
  }
  if (Object* o = primitive.ObjectOrNull()) out.push_back(o);
  if (scope) out.push_back(scope);
  if (target) out.push_back(target);
  if (link) out.push_back(link);
  for (Object* i : interfaces) out.push_back(i);
  if (script && script->constants) {
    for (const auto& v : *script->constants) {
      if (Object* o = v.ObjectOrNull()) out.push_back(o);
    }
  }
}

int64_t ArrayIndex(std::u16string_view name) {
  if (name.empty() || name.size() > 10) return -1;
  if (name.size() > 1 && name[0] == u'0') return -1;
  int64_t v = 0;
  for (char16_t c : name) {
    if (c < u'0' || c > u'9') return -1;
    v = v * 10 + (c - u'0');
  }
  return v < 0xFFFFFFFFLL ? v : -1;
}

bool ArrayObject::GetSpecial(Vm& vm, std::u16string_view name, Value& out) {
  (void)vm;
  if (name == u"length") {
    out = static_cast<double>(elements.size());
    return true;
  }
  const int64_t i = ArrayIndex(name);
  if (i < 0) return false;
  if (static_cast<size_t>(i) >= elements.size()) return false;
  out = elements[static_cast<size_t>(i)];
  return true;
}

bool ArrayObject::SetSpecial(Vm& vm, std::u16string_view name, const Value& value) {
  if (name == u"length") {
    const double n = value.ToNumber(vm.version());
    if (n >= 0 && n == std::floor(n) && vm.CheckArrayLength(n)) elements.resize(static_cast<size_t>(n));
    return true;
  }
  const int64_t i = ArrayIndex(name);
  if (i < 0) return false;
  if (static_cast<size_t>(i) >= elements.size()) {
    if (!vm.CheckArrayLength(static_cast<double>(i) + 1)) return true;
    elements.resize(static_cast<size_t>(i) + 1);
  }
  elements[static_cast<size_t>(i)] = value;
  return true;
}

void ArrayObject::OwnKeys(std::vector<std::u16string>& out, bool includeHidden) const {
  Object::OwnKeys(out, includeHidden);
  for (size_t i = elements.size(); i-- > 0;) {
    if (!elements[i].IsUndefined()) out.push_back(NumberToText(static_cast<double>(i)));
  }
}

void ArrayObject::Trace(std::vector<Object*>& out) const {
  Object::Trace(out);
  for (const auto& v : elements) {
    if (Object* o = v.ObjectOrNull()) out.push_back(o);
  }
}

Heap::~Heap() {
  for (Object* o : objects_) delete o;
}

void Heap::Adopt(Object* object) {
  object->caseSensitive_ = caseSensitive_;
  objects_.push_back(object);
}

size_t Heap::Collect(const std::vector<Object*>& roots, const std::vector<Value>& rootValues) {
  std::vector<Object*> pending = roots;
  for (const auto& v : rootValues) {
    if (Object* o = v.ObjectOrNull()) pending.push_back(o);
  }
  std::vector<Object*> refs;
  while (!pending.empty()) {
    Object* o = pending.back();
    pending.pop_back();
    if (!o || o->marked) continue;
    o->marked = true;
    refs.clear();
    o->Trace(refs);
    for (Object* r : refs) {
      if (!r->marked) pending.push_back(r);
    }
  }
  const size_t before = objects_.size();
  auto keep = std::partition(objects_.begin(), objects_.end(), [](Object* o) { return o->marked; });
  for (auto it = keep; it != objects_.end(); ++it) delete *it;
  objects_.erase(keep, objects_.end());
  for (Object* o : objects_) o->marked = false;
  return before - objects_.size();
}

}  // namespace zp::swf
