#include "core/swf/swf_display.h"

#include "core/text.h"

namespace zp::swf {

int Instance::Nesting() const {
  int levels = 0;
  for (const Instance* p = parent; p; p = p->parent) ++levels;
  return levels;
}

Instance* Instance::ChildAt(int32_t childDepth) {
  const auto it = children.find(childDepth);
  return it == children.end() ? nullptr : &it->second;
}

Instance* Instance::ChildByName(std::u16string_view childName, bool caseSensitive) {
  for (auto& [childDepth, child] : children) {
    if (caseSensitive ? child.name == childName : EqualsNoCase(child.name, childName)) return &child;
  }
  return nullptr;
}

Instance* Instance::FindByPath(std::u16string_view path, bool caseSensitive) {
  Instance* at = this;
  auto toRoot = [&] {
    while (at->parent) at = at->parent;
  };
  if (!path.empty() && path[0] == u'/') {
    toRoot();
    path.remove_prefix(1);
  }
  while (!path.empty() && at) {
    std::u16string_view step;
    if (path.substr(0, 2) == u"..") {  // a slashed path's parent; a dotted one has no such step
      step = u"..";
      path.remove_prefix(path.size() > 2 && path[2] == u'/' ? 3 : 2);
    } else {
      const size_t end = path.find_first_of(u"./");
      step = path.substr(0, end);
      path = end == std::u16string_view::npos ? std::u16string_view() : path.substr(end + 1);
    }
    if (step.empty() || step == u"this") continue;
    if (step == u".." || EqualsNoCase(step, u"_parent")) {
      at = at->parent;
    } else if (EqualsNoCase(step, u"_root") || EqualsNoCase(step, u"_level0")) {
      toRoot();
    } else {
      at = at->ChildByName(step, caseSensitive);
    }
  }
  return at;
}

std::u16string Instance::Path() const {
  if (!parent) return u"_level0";
  return parent->Path() + u"." + name;
}

}  // namespace zp::swf
