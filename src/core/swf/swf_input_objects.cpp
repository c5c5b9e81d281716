#include "core/swf/swf_input_objects.h"

#include <algorithm>

#include "core/swf/swf_builtins.h"
#include "core/swf/swf_clip.h"
#include "core/swf/swf_keys.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_vm.h"

namespace zp::swf {
namespace {

// Key, Selection and Mouse: plain objects to scripts that know the player they ask.
class InputObject final : public Object {
 public:
  explicit InputObject(Player& player) : player_(player) {}
  Player& player() const { return player_; }

 private:
  Player& player_;
};

Player* PlayerOf(const Value& self) {
  auto* input = dynamic_cast<InputObject*>(self.ObjectOrNull());
  return input ? &input->player() : nullptr;
}

ArrayObject* Listeners(Vm& vm, const Value& self) {
  return dynamic_cast<ArrayObject*>(vm.GetMember(self, u"_listeners").ObjectOrNull());
}

Value RemoveListener(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* list = Listeners(vm, self);
  Object* listener = Arg(args, 0).ObjectOrNull();
  if (!list || !listener) return Value(false);
  const auto at = std::find_if(list->elements.begin(), list->elements.end(),
                               [listener](const Value& v) { return v.ObjectOrNull() == listener; });
  if (at == list->elements.end()) return Value(false);
  list->elements.erase(at);
  return Value(true);
}

// A listener added twice is told once, at the place it was added last.
Value AddListener(Vm& vm, const Value& self, std::span<const Value> args) {
  ArrayObject* list = Listeners(vm, self);
  if (!list || !Arg(args, 0).IsObject()) return Value(false);
  RemoveListener(vm, self, args);
  list->elements.push_back(args[0]);
  return Value(true);
}

Value KeyIsDown(Vm& vm, const Value& self, std::span<const Value> args) {
  Player* player = PlayerOf(self);
  const double code = vm.ToNumber(Arg(args, 0));
  return Value(player && code >= 0 && code <= kMaxKeyCode && player->IsKeyDown(static_cast<int>(code)));
}
Value KeyGetCode(Vm&, const Value& self, std::span<const Value>) {
  Player* player = PlayerOf(self);
  return Value(player ? player->lastKeyCode() : 0);
}
Value KeyGetAscii(Vm&, const Value& self, std::span<const Value>) {
  Player* player = PlayerOf(self);
  return Value(player ? player->lastKeyAscii() : 0);
}
// Caps Lock and Num Lock are the system's; a movie is told they are off.
Value KeyIsToggled(Vm&, const Value&, std::span<const Value>) { return Value(false); }

Value SelectionGetFocus(Vm&, const Value& self, std::span<const Value>) {
  Player* player = PlayerOf(self);
  Instance* focused = player ? player->Focus() : nullptr;
  return focused ? Value(focused->Path()) : Value(Null{});
}

// setFocus(target): a clip, button or text field, or its path as text; null takes the focus
// away. Returns whether the focus now is where it was asked to be.
Value SelectionSetFocus(Vm& vm, const Value& self, std::span<const Value> args) {
  Player* player = PlayerOf(self);
  if (!player) return Value(false);
  const Value target = Arg(args, 0);
  if (target.IsNullish()) {
    player->SetFocus(nullptr);
    return Value(true);
  }
  Instance* instance = nullptr;
  if (auto* clip = dynamic_cast<ClipObject*>(target.ObjectOrNull())) {
    instance = clip->instance();
  } else if (target.IsString()) {
    std::u16string path = target.AsString();
    for (std::u16string_view prefix : {u"_level0.", u"_root."}) {
      if (path.starts_with(prefix)) path.erase(0, prefix.size());
    }
    instance = player->root().FindByPath(path, vm.version() >= 7);
  }
  if (!instance || !instance->parent) return Value(false);
  player->SetFocus(instance);
  return Value(true);
}

Value Nothing(Vm&, const Value&, std::span<const Value>) { return Value(); }

InputObject* MakeBroadcaster(Vm& vm, Player& player, std::u16string_view name) {
  auto* object = new InputObject(player);
  vm.heap().Adopt(object);
  object->SetProto(vm.objectProto);
  object->Define(u"_listeners", Value(vm.NewArray()), kDontEnum);
  vm.Method(object, u"addListener", AddListener);
  vm.Method(object, u"removeListener", RemoveListener);
  vm.global()->Define(name, Value(object), kDontEnum);
  return object;
}

}  // namespace

void InstallInputObjects(Vm& vm, Player& player) {
  InputObject* key = MakeBroadcaster(vm, player, u"Key");
  vm.Method(key, u"isDown", KeyIsDown);
  vm.Method(key, u"getCode", KeyGetCode);
  vm.Method(key, u"getAscii", KeyGetAscii);
  vm.Method(key, u"isToggled", KeyIsToggled);
  const struct {
    const char16_t* name;
    int code;
  } constants[] = {{u"BACKSPACE", kKeyBackspace}, {u"TAB", kKeyTab},         {u"ENTER", kKeyEnter},
                   {u"SHIFT", kKeyShift},         {u"CONTROL", kKeyControl}, {u"ESCAPE", kKeyEscape},
                   {u"SPACE", kKeySpace},         {u"PGUP", kKeyPageUp},     {u"PGDN", kKeyPageDown},
                   {u"END", kKeyEnd},             {u"HOME", kKeyHome},       {u"LEFT", kKeyLeft},
                   {u"UP", kKeyUp},               {u"RIGHT", kKeyRight},     {u"DOWN", kKeyDown},
                   {u"INSERT", kKeyInsert},       {u"DELETEKEY", kKeyDelete}, {u"CAPSLOCK", kKeyCapsLock}};
  for (const auto& c : constants) key->Define(c.name, Value(c.code), kDontEnum | kDontDelete | kReadOnly);

  InputObject* selection = MakeBroadcaster(vm, player, u"Selection");
  vm.Method(selection, u"getFocus", SelectionGetFocus);
  vm.Method(selection, u"setFocus", SelectionSetFocus);

  InputObject* mouse = MakeBroadcaster(vm, player, u"Mouse");
  vm.Method(mouse, u"show", Nothing);  // the pointer is the container's to show
  vm.Method(mouse, u"hide", Nothing);
}

}  // namespace zp::swf
