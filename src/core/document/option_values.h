// What the numbers in the document's option sections mean, by name. The sections keep the
// numbers as the format stores them; the window asks these questions instead of comparing
// numbers itself.
#pragma once

#include <cstdint>

#include "core/document/document_model.h"

namespace zp {

enum class SizeMode : int32_t { kMovieSize = 0, kFixed = 1, kPercentOfScreen = 2, kFullScreen = 3 };
enum class WindowState : int32_t { kAsSized = 0, kMaximised = 1, kMinimised = 2 };
// Any shape mode other than these two is one of the predefined shapes, `shapeKind`.
enum class ShapeMode : int32_t { kRectangle = 0, kCustomRegion = 2 };
enum class WindowMode : int32_t { kMovieBackground = 0, kBackgroundColour = 1, kTransparent = 2 };

inline SizeMode SizeModeOf(const SizeOptions& size) { return static_cast<SizeMode>(size.sizeMode); }
inline WindowState WindowStateOf(const SizeOptions& size) { return static_cast<WindowState>(size.windowState); }
inline ShapeMode ShapeModeOf(const AppearanceOptions& appearance) {
  return static_cast<ShapeMode>(appearance.shapeMode);
}
inline WindowMode WindowModeOf(const AppearanceOptions& appearance) {
  return static_cast<WindowMode>(appearance.windowMode);
}

// The movie plays on a layered window, with the desktop showing through.
inline bool IsTransparent(const AppearanceOptions& appearance) {
  return WindowModeOf(appearance) == WindowMode::kTransparent;
}
// The movie plays on `movieBackground` rather than its own background colour.
inline bool UsesBackgroundColour(const AppearanceOptions& appearance) {
  return WindowModeOf(appearance) == WindowMode::kBackgroundColour;
}
inline bool IsShaped(const AppearanceOptions& appearance) { return ShapeModeOf(appearance) != ShapeMode::kRectangle; }
// A caption and sizing border: asked for, and no shape cutting them away.
inline bool HasFrame(const AppearanceOptions& appearance) { return appearance.hasFrame != 0 && !IsShaped(appearance); }
// The minimise, maximise and system-menu switches apply only to a frame switch of exactly 1.
inline bool FrameBoxSwitchesApply(const AppearanceOptions& appearance) { return appearance.hasFrame == 1; }

// Bit 0 of `hostFlags` clear: the movie is stretched over the whole window.
inline bool StretchesToWindow(const SizeOptions& size) { return (size.hostFlags & 1) == 0; }
// Stretched, or bit 1 set: the movie may scale (and the context menu offers zooming).
inline bool AllowsScale(const SizeOptions& size) { return StretchesToWindow(size) || (size.hostFlags & 2) != 0; }

inline bool BlocksPrintScreen(const BehaviourOptions& behaviour) { return (behaviour.protectFlags & 2) != 0; }

}  // namespace zp
