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
    case 0:
      if (onDragArea) {
        d.moveCursor = true;
        d.drag = DragAction::kBegin;
        d.swallow = true;
      }
      break;
    case 1: d.drag = DragAction::kBegin; d.swallow = true; break;
    case 2: d.drag = DragAction::kBegin; break;
    default: d.swallow = true; break;
  }
  return d;
}

MouseDecision DecideLeftUp(int leftDrag, bool onDragArea) {
  MouseDecision d;
  switch (leftDrag) {
    case 0:
      if (onDragArea) {
        d.drag = DragAction::kEnd;
        d.swallow = true;
      }
      break;
    case 1: d.drag = DragAction::kEnd; d.swallow = true; break;
    case 2: d.drag = DragAction::kEnd; break;
    default: d.swallow = true; break;
  }
  return d;
}

MouseDecision DecideRightDown(int rightButton) {
  MouseDecision d;
  switch (rightButton) {
    case 0: break;
    case 1: d.contextMenu = true; d.swallow = true; break;
    case 2: d.drag = DragAction::kBegin; d.swallow = true; break;
    default: d.swallow = true; break;
  }
  return d;
}

MouseDecision DecideRightUp(int rightButton) {
  MouseDecision d;
  switch (rightButton) {
    case 0: break;
    case 2: d.drag = DragAction::kEnd; d.swallow = true; break;
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

int CompanionLeftCode(int leftDrag) {
  switch (leftDrag) {
    case 0: return companion::kLeftDragsByAreas;
    case 1: return companion::kLeftDragsAnywhere;
    case 3: return companion::kButtonDoesNothing;
    default: return companion::kLeftDragsAnywhereAndClicks;
  }
}

int CompanionRightCode(int rightButton) {
  switch (rightButton) {
    case 0: return companion::kRightToMovie;
    case 2: return companion::kRightDrags;
    case 3: return companion::kButtonDoesNothing;
    default: return companion::kRightOpensMenu;
  }
}

}  // namespace zp::layout
