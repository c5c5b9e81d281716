// The objects through which scripts see the keyboard, the focus and the mouse: Key,
// Selection and Mouse, each able to tell listeners (addListener/removeListener) of what
// happens.
#pragma once

namespace zp::swf {

class Player;
class Vm;

void InstallInputObjects(Vm& vm, Player& player);

}  // namespace zp::swf
