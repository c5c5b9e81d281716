#include "core/fscommand/fs_builtin_rules.h"

#include <array>
#include <utility>

#include "core/fscommand/fs_arguments.h"
#include "core/text.h"

namespace zp {
namespace {

constexpr std::array<std::pair<std::u16string_view, FsBuiltIn>, 15> kRows = {{
    {u"quit", FsBuiltIn::kQuit},
    {u"allowscale", FsBuiltIn::kAllowScale},
    {u"fullscreen", FsBuiltIn::kFullScreen},
    {u"ShowImage", FsBuiltIn::kShowImage},
    {u"DragAddRect", FsBuiltIn::kDragAddRect},
    {u"DragAddEllipse", FsBuiltIn::kDragAddEllipse},
    {u"DragAddPoly", FsBuiltIn::kDragAddPoly},
    {u"DragSubRect", FsBuiltIn::kDragSubRect},
    {u"DragSubEllipse", FsBuiltIn::kDragSubEllipse},
    {u"DragSubPoly", FsBuiltIn::kDragSubPoly},
    {u"DragCancel", FsBuiltIn::kDragCancel},
    {u"WindowSetState", FsBuiltIn::kWindowSetState},
    {u"WindowSetPos", FsBuiltIn::kWindowSetPos},
    {u"WindowSetPosRel", FsBuiltIn::kWindowSetPosRel},
    {u"WindowShow", FsBuiltIn::kWindowShow},
}};

FsBuiltInDecision Handled(std::u16string_view logged) {
  FsBuiltInDecision decision;
  decision.handled = true;
  decision.logged = std::u16string(logged);
  return decision;
}

FsBuiltInDecision HandledAndReturned(std::u16string_view value) {
  FsBuiltInDecision decision = Handled(value);
  decision.returnValue = std::u16string(value);
  return decision;
}

// Rows 5 and 7: four numbers; an empty item counts and reads as 0; extra items are ignored.
FsBuiltInDecision DragBox(std::u16string_view args, FsAction action, FsDragShape shape) {
  const auto items = SplitFsArguments(args);
  if (items.size() < 4) return HandledAndReturned(u"0");
  FsBuiltInDecision decision = HandledAndReturned(u"1");
  decision.action = action;
  decision.shape = shape;
  for (size_t i = 0; i < 4; ++i) decision.points.push_back(ReadFsNumber(items[i]));
  return decision;
}

// Rows 6 and 8: the largest even number of items, at least three points.
FsBuiltInDecision DragPolygon(std::u16string_view args, FsAction action) {
  const auto items = SplitFsArguments(args);
  const size_t count = items.size() & ~size_t{1};
  if (count < 6) return HandledAndReturned(u"0");
  FsBuiltInDecision decision = HandledAndReturned(u"1");
  decision.action = action;
  decision.shape = FsDragShape::kPolygon;
  for (size_t i = 0; i < count; ++i) decision.points.push_back(ReadFsNumber(items[i]));
  return decision;
}

FsBuiltInDecision PendingMove(std::u16string_view args, bool relative) {
  const auto items = SplitFsArguments(args);
  const std::u16string x = FsArgumentAt(items, 1);
  const std::u16string y = FsArgumentAt(items, 2);
  if (x.empty() || y.empty()) return Handled(u"0");
  FsBuiltInDecision decision = Handled(u"-99");
  decision.action = FsAction::kRecordMove;
  decision.relative = relative;
  decision.x = ReadFsNumber(x);
  decision.y = ReadFsNumber(y);
  return decision;
}

}  // namespace

FsBuiltIn FindFsBuiltIn(std::u16string_view command) {
  for (const auto& [name, row] : kRows) {
    if (EqualsNoCase(command, name)) return row;
  }
  return FsBuiltIn::kNone;
}

bool IsFsSwitchOn(std::u16string_view argument) { return EqualsNoCase(argument, u"true") || argument == u"1"; }

bool IsAuthoringHostPath(std::u16string_view executablePath) {
  const size_t slash = executablePath.find_last_of(u"\\/");
  const std::u16string_view name = slash == std::u16string_view::npos ? executablePath : executablePath.substr(slash + 1);
  return EqualsNoCase(name, u"Zentrapolis.exe");
}

FsBuiltInDecision DecideFsBuiltIn(std::u16string_view command, std::u16string_view args, FsHostMode mode) {
  const bool windowOwnedHere = mode.transparent && !mode.authoring;
  switch (FindFsBuiltIn(command)) {
    case FsBuiltIn::kNone:
      return {};
    case FsBuiltIn::kQuit: {
      if (mode.authoring) return Handled(u"0");
      FsBuiltInDecision decision;
      decision.handled = true;
      decision.action = FsAction::kPostClose;
      return decision;
    }
    case FsBuiltIn::kAllowScale: {
      if (mode.authoring) return Handled(u"0");
      FsBuiltInDecision decision = HandledAndReturned(u"1");
      decision.action = FsAction::kSetScale;
      decision.on = IsFsSwitchOn(args);
      return decision;
    }
    case FsBuiltIn::kFullScreen: {
      if (mode.authoring) return Handled(u"0");
      if (mode.transparent) return HandledAndReturned(u"0");
      FsBuiltInDecision decision = HandledAndReturned(u"1");
      decision.action = FsAction::kSetFullScreen;
      decision.on = IsFsSwitchOn(args);
      return decision;
    }
    case FsBuiltIn::kShowImage: {
      FsBuiltInDecision decision;
      decision.handled = true;
      decision.action = FsAction::kShowImage;
      return decision;
    }
    case FsBuiltIn::kDragAddRect:
      return DragBox(args, FsAction::kDragAdd, FsDragShape::kRectangle);
    case FsBuiltIn::kDragAddEllipse:
      return DragBox(args, FsAction::kDragAdd, FsDragShape::kEllipse);
    case FsBuiltIn::kDragAddPoly:
      return DragPolygon(args, FsAction::kDragAdd);
    case FsBuiltIn::kDragSubRect:
      return DragBox(args, FsAction::kDragSubtract, FsDragShape::kRectangle);
    case FsBuiltIn::kDragSubEllipse:
      return DragBox(args, FsAction::kDragSubtract, FsDragShape::kEllipse);
    case FsBuiltIn::kDragSubPoly:
      return DragPolygon(args, FsAction::kDragSubtract);
    case FsBuiltIn::kDragCancel: {
      FsBuiltInDecision decision = HandledAndReturned(u"1");
      decision.action = FsAction::kDragCancel;
      return decision;
    }
    case FsBuiltIn::kWindowSetState: {
      if (!windowOwnedHere) return {};
      const auto items = SplitFsArguments(args);
      if (items.empty()) return {};
      switch (ReadFsNumber(items[0])) {
        case 1: {
          FsBuiltInDecision decision = Handled(u"1");
          decision.action = FsAction::kMinimize;
          return decision;
        }
        case 2:
          return Handled(u"-1");
        default:
          return {};
      }
    }
    case FsBuiltIn::kWindowSetPos:
      return windowOwnedHere ? PendingMove(args, false) : FsBuiltInDecision{};
    case FsBuiltIn::kWindowSetPosRel:
      return windowOwnedHere ? PendingMove(args, true) : FsBuiltInDecision{};
    case FsBuiltIn::kWindowShow:
      return windowOwnedHere ? Handled(u"0") : FsBuiltInDecision{};
  }
  return {};
}

}  // namespace zp
