// What the player's built-in FSCommands decide, as pure functions of the command, its argument
// text and the hosting mode: which row matches, what the player does, the "fscmd_ret" value it
// sets and the result the log shows. The Win32 dispatcher carries out the action.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zp {

inline constexpr char16_t kFsReturnVariable[] = u"fscmd_ret";
inline constexpr char16_t kFsWindowSetHandle[] = u"WindowSetHandle";

// The rows of the built-in table, in the order they are checked.
enum class FsBuiltIn {
  kNone,
  kQuit,
  kAllowScale,
  kFullScreen,
  kShowImage,
  kDragAddRect,
  kDragAddEllipse,
  kDragAddPoly,
  kDragSubRect,
  kDragSubEllipse,
  kDragSubPoly,
  kDragCancel,
  kWindowSetState,
  kWindowSetPos,
  kWindowSetPosRel,
  kWindowShow,
};

// The row whose name equals `command` ignoring (ASCII) case, or kNone.
FsBuiltIn FindFsBuiltIn(std::u16string_view command);

struct FsHostMode {
  bool transparent = false;  // the movie plays in the transparent host
  bool authoring = false;    // the code runs inside the authoring program
};

enum class FsAction {
  kNothing,
  kPostClose,      // post WM_CLOSE to the main window
  kSetScale,       // `on`: scaling on (ScaleMode 0) or off (ScaleMode 3)
  kSetFullScreen,  // `on`: full screen on or off
  kShowImage,      // open an image window from the arguments
  kDragAdd,        // add `shape` with `points` to the drag area
  kDragSubtract,   // remove `shape` with `points` from the drag area
  kDragCancel,     // switch the drag area off
  kMinimize,       // send SC_MINIMIZE to the main window
  kRecordMove,     // record a pending move: `relative`, `x`, `y`
};

enum class FsDragShape { kRectangle, kEllipse, kPolygon };

struct FsBuiltInDecision {
  bool handled = false;                       // false: offer it to the extension libraries
  FsAction action = FsAction::kNothing;
  std::optional<std::u16string> returnValue;  // "fscmd_ret"; absent leaves it untouched
  std::optional<std::u16string> logged;       // the logged result; absent writes no log
  bool on = false;
  FsDragShape shape = FsDragShape::kRectangle;
  std::vector<int32_t> points;  // left, top, right, bottom; or x1, y1, x2, y2, ...
  bool relative = false;
  int32_t x = 0;
  int32_t y = 0;
};

// The decision of the built-in table for one command. ShowImage is decided as handled with
// kShowImage; whoever carries it out sets its return value from the outcome.
FsBuiltInDecision DecideFsBuiltIn(std::u16string_view command, std::u16string_view args, FsHostMode mode);

// "true" in any case, or exactly "1".
bool IsFsSwitchOn(std::u16string_view argument);

// True when the file name of `executablePath` (after the last backslash or slash) is the
// authoring program's, ignoring case.
bool IsAuthoringHostPath(std::u16string_view executablePath);

}  // namespace zp
