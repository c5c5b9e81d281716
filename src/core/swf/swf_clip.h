// Movie clips as script objects: each instance of the display tree with a timeline (and the
// root) is seen by scripts through one ClipObject, which reads and writes the instance's
// properties (_x, _alpha, _currentframe...), finds its children by name, and keeps the clip's
// own variables as ordinary properties.
#pragma once

#include <cstdint>
#include <string>

#include "core/swf/swf_object.h"

namespace zp::swf {

class Instance;
class Player;
class Vm;

class ClipObject final : public Object {
 public:
  // Text fields are plain objects to scripts (typeof gives "object"); clips are clips.
  ClipObject(Player& player, uint32_t serial, ObjectKind kind = ObjectKind::kClip)
      : Object(kind), player_(player), serial_(serial) {}

  Player& player() const { return player_; }
  uint32_t serial() const { return serial_; }
  // The instance, or null once it left the stage.
  Instance* instance() const;

  bool GetSpecial(Vm& vm, std::u16string_view name, Value& out) override;
  bool SetSpecial(Vm& vm, std::u16string_view name, const Value& value) override;
  // Its own variables, then the names of its named children (for..in visits both).
  void OwnKeys(std::vector<std::u16string>& out, bool includeHidden) const override;

 private:
  bool ChildNamed(Vm& vm, Instance& in, std::u16string_view name, Value& out);
  Player& player_;
  const uint32_t serial_;
};

// MovieClip and its prototype's methods, and Button's and Video's (buttons and videos are
// seen through ClipObject too).
void InstallMovieClip(Vm& vm);
void InstallButton(Vm& vm);

}  // namespace zp::swf
