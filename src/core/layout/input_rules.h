// What the player window does with keys and mouse buttons, decided from the document's
// mouse and key options. The Win32 side carries the decisions out.
#pragma once

namespace zp::layout {

struct KeyDecision {
  bool close = false;           // close the player
  bool swallow = false;         // the message goes no further
  bool dispatchDirect = false;  // translate and dispatch to the target, bypassing the dialog
};

inline constexpr int kVirtualKeyReturn = 0x0D;
inline constexpr int kVirtualKeyEscape = 0x1B;

KeyDecision DecideKeyDown(int virtualKey, int closeKeyMode, int closeKeyEnabled, int escapeCloses);

// What the document's `leftDrag` and `rightButton` ask of the buttons. In the window any other
// value does nothing, as kLeftDragNone and kRightButtonNone do; the transparent companion reads
// other values its own way (CompanionLeftCode, CompanionRightCode).
enum LeftDrag : int {
  kLeftDragOnAreas = 0,
  kLeftDragAnywhere = 1,
  kLeftDragAnywhereWithClicks = 2,
  kLeftDragNone = 3,
};
enum RightButton : int { kRightButtonToMovie = 0, kRightButtonMenu = 1, kRightButtonDrags = 2, kRightButtonNone = 3 };

enum class DragAction { kNone, kBegin, kEnd };

struct MouseDecision {
  DragAction drag = DragAction::kNone;
  bool swallow = false;
  bool moveCursor = false;    // show the four-way arrow
  bool contextMenu = false;
};

// Left button down or double click. insideWindow: the cursor is inside the window rectangle.
MouseDecision DecideLeftDown(int leftDrag, bool insideWindow, bool onDragArea);
MouseDecision DecideLeftUp(int leftDrag, bool onDragArea);
MouseDecision DecideRightDown(int rightButton);
MouseDecision DecideRightUp(int rightButton);
// Mouse move with no button held: over a drag area the cursor becomes the four-way arrow.
MouseDecision DecideHover(bool onDragArea);
// Mouse move with a button held (the left one when `leftHeld`): the move goes where that
// button's clicks go. `dragging`: a drag of the window is under way.
MouseDecision DecideButtonMove(bool leftHeld, bool dragging, int leftDrag, int rightButton);

// The drag codes answered to the transparent companion window, which numbers the buttons'
// behaviours its own way.
namespace companion {
inline constexpr int kLeftDragsByAreas = 0;
inline constexpr int kLeftDragsAnywhere = 1;           // the movie sees no press
inline constexpr int kLeftDragsAnywhereAndClicks = 2;  // the movie sees the press as well
inline constexpr int kRightToMovie = 0;
inline constexpr int kRightDrags = 1;
inline constexpr int kRightOpensMenu = 3;
inline constexpr int kButtonDoesNothing = 4;
}  // namespace companion
int CompanionLeftCode(int leftDrag);
int CompanionRightCode(int rightButton);

}  // namespace zp::layout
