#include "core/layout/input_rules.h"

namespace zp::layout {

KeyDecision DecideKeyDown(int virtualKey, int closeKeyMode, int closeKeyEnabled, int escapeCloses) {
  KeyDecision d;
  if (closeKeyMode == 1 && closeKeyEnabled != 0) {
    d.close = true;
    d.swallow = true;
    return d;
  }
  if (virtualKey == kVirtualKeyEscape) {
    // Esc never reaches the movie, whether or not it closes the player.
    d.close = escapeCloses != 0;
    d.swallow = true;
  } else if (virtualKey == kVirtualKeyReturn) {
    d.dispatchDirect = true;
    d.swallow = true;
  }
  return d;
}

MouseDecision DecideLeftDown(int leftDrag, bool insideWindow, bool onDragArea) {
  MouseDecision d;
  if (!insideWindow) {
    d.swallow = true;
    return d;
  }
  switch (leftDrag) {
    case kLeftDragOnAreas:
      if (onDragArea) {
        d.moveCursor = true;
        d.drag = DragAction::kBegin;
        d.swallow = true;
      }
      break;
    case kLeftDragAnywhere: d.drag = DragAction::kBegin; d.swallow = true; break;
    case kLeftDragAnywhereWithClicks: d.drag = DragAction::kBegin; break;
    default: d.swallow = true; break;
  }
  return d;
}

MouseDecision DecideLeftUp(int leftDrag, bool onDragArea) {
  MouseDecision d;
  switch (leftDrag) {
    case kLeftDragOnAreas:
      if (onDragArea) {
        d.drag = DragAction::kEnd;
        d.swallow = true;
      }
      break;
    case kLeftDragAnywhere: d.drag = DragAction::kEnd; d.swallow = true; break;
    case kLeftDragAnywhereWithClicks: d.drag = DragAction::kEnd; break;
    default: d.swallow = true; break;
  }
  return d;
}

MouseDecision DecideRightDown(int rightButton) {
  MouseDecision d;
  switch (rightButton) {
    case kRightButtonToMovie: break;
    case kRightButtonMenu: d.contextMenu = true; d.swallow = true; break;
    case kRightButtonDrags: d.drag = DragAction::kBegin; d.swallow = true; break;
    default: d.swallow = true; break;
  }
  return d;
}

MouseDecision DecideRightUp(int rightButton) {
  MouseDecision d;
  switch (rightButton) {
    case kRightButtonToMovie: break;
    case kRightButtonDrags: d.drag = DragAction::kEnd; d.swallow = true; break;
    default: d.swallow = true; break;
  }
  return d;
}

MouseDecision DecideHover(bool onDragArea) {
  MouseDecision d;
  d.moveCursor = onDragArea;
  d.swallow = onDragArea;
  return d;
}

MouseDecision DecideButtonMove(bool leftHeld, bool dragging, int leftDrag, int rightButton) {
  MouseDecision d;
  if (!leftHeld) {
    d.swallow = rightButton != kRightButtonToMovie;
  } else if (dragging) {
    // Only a drag that lets the movie see the press lets it see the moves too.
    d.swallow = leftDrag != kLeftDragAnywhereWithClicks;
  } else {
    // Without a drag the moves go to the movie, unless the left button does nothing at all.
    d.swallow = leftDrag < kLeftDragOnAreas || leftDrag > kLeftDragAnywhereWithClicks;
  }
  return d;
}

int CompanionLeftCode(int leftDrag) {
  switch (leftDrag) {
    case kLeftDragOnAreas: return companion::kLeftDragsByAreas;
    case kLeftDragAnywhere: return companion::kLeftDragsAnywhere;
    case kLeftDragNone: return companion::kButtonDoesNothing;
    default: return companion::kLeftDragsAnywhereAndClicks;
  }
}

int CompanionRightCode(int rightButton) {
  switch (rightButton) {
    case kRightButtonToMovie: return companion::kRightToMovie;
    case kRightButtonDrags: return companion::kRightDrags;
    case kRightButtonNone: return companion::kButtonDoesNothing;
    default: return companion::kRightOpensMenu;
  }
}

}  // namespace zp::layout
