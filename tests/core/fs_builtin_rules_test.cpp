#include "core/fscommand/fs_builtin_rules.h"

#include <gtest/gtest.h>

namespace zp {
namespace {

constexpr FsHostMode kWindowed{false, false};
constexpr FsHostMode kTransparent{true, false};
constexpr FsHostMode kAuthoringWindowed{false, true};
constexpr FsHostMode kAuthoringTransparent{true, true};

using Text = std::optional<std::u16string>;

TEST(FsBuiltInRules, RowsAreFoundIgnoringCaseAndOthersAreNot) {
  EXPECT_EQ(FindFsBuiltIn(u"QUIT"), FsBuiltIn::kQuit);
  EXPECT_EQ(FindFsBuiltIn(u"FullScreen"), FsBuiltIn::kFullScreen);
  EXPECT_EQ(FindFsBuiltIn(u"dragaddpoly"), FsBuiltIn::kDragAddPoly);
  EXPECT_EQ(FindFsBuiltIn(u"windowsetposrel"), FsBuiltIn::kWindowSetPosRel);
  EXPECT_EQ(FindFsBuiltIn(u"quit "), FsBuiltIn::kNone);
  EXPECT_EQ(FindFsBuiltIn(u"exec"), FsBuiltIn::kNone);
  EXPECT_EQ(FindFsBuiltIn(u""), FsBuiltIn::kNone);
  const auto unknown = DecideFsBuiltIn(u"Exec", u"notepad", kWindowed);
  EXPECT_FALSE(unknown.handled);
}

TEST(FsBuiltInRules, QuitClosesOutsideTheAuthoringProgramWithoutLogOrReturn) {
  const auto quit = DecideFsBuiltIn(u"quit", u"whatever", kWindowed);
  EXPECT_TRUE(quit.handled);
  EXPECT_EQ(quit.action, FsAction::kPostClose);
  EXPECT_EQ(quit.returnValue, std::nullopt);
  EXPECT_EQ(quit.logged, std::nullopt);
  EXPECT_EQ(DecideFsBuiltIn(u"quit", u"", kTransparent).action, FsAction::kPostClose);

  const auto authoring = DecideFsBuiltIn(u"quit", u"", kAuthoringWindowed);
  EXPECT_TRUE(authoring.handled);
  EXPECT_EQ(authoring.action, FsAction::kNothing);
  EXPECT_EQ(authoring.logged, Text(u"0"));
  EXPECT_EQ(authoring.returnValue, std::nullopt);
}

TEST(FsBuiltInRules, AllowScaleIsOnOnlyForTrueOrExactlyOneAndAlwaysReportsOne) {
  for (auto [args, on] : {std::pair{u"true", true}, {u"TRUE", true}, {u"1", true}, {u"yes", false},
                          {u" 1", false}, {u"0", false}, {u"", false}}) {
    const auto decision = DecideFsBuiltIn(u"allowscale", args, kWindowed);
    EXPECT_TRUE(decision.handled);
    EXPECT_EQ(decision.action, FsAction::kSetScale);
    EXPECT_EQ(decision.on, on);
    EXPECT_EQ(decision.returnValue, Text(u"1"));
    EXPECT_EQ(decision.logged, Text(u"1"));
  }
  const auto authoring = DecideFsBuiltIn(u"AllowScale", u"true", kAuthoringTransparent);
  EXPECT_EQ(authoring.action, FsAction::kNothing);
  EXPECT_EQ(authoring.returnValue, std::nullopt);
  EXPECT_EQ(authoring.logged, Text(u"0"));
}

TEST(FsBuiltInRules, FullScreenDiffersByMode) {
  const auto on = DecideFsBuiltIn(u"FULLSCREEN", u"TRUE", kWindowed);
  EXPECT_EQ(on.action, FsAction::kSetFullScreen);
  EXPECT_TRUE(on.on);
  EXPECT_EQ(on.returnValue, Text(u"1"));
  EXPECT_EQ(on.logged, Text(u"1"));
  const auto blankOne = DecideFsBuiltIn(u"fullscreen", u" 1", kWindowed);
  EXPECT_EQ(blankOne.action, FsAction::kSetFullScreen);
  EXPECT_FALSE(blankOne.on);

  const auto transparent = DecideFsBuiltIn(u"fullscreen", u"true", kTransparent);
  EXPECT_TRUE(transparent.handled);
  EXPECT_EQ(transparent.action, FsAction::kNothing);
  EXPECT_EQ(transparent.returnValue, Text(u"0"));
  EXPECT_EQ(transparent.logged, Text(u"0"));

  const auto authoring = DecideFsBuiltIn(u"fullscreen", u"true", kAuthoringWindowed);
  EXPECT_EQ(authoring.action, FsAction::kNothing);
  EXPECT_EQ(authoring.returnValue, std::nullopt);
  EXPECT_EQ(authoring.logged, Text(u"0"));
}

TEST(FsBuiltInRules, DragBoxesNeedFourItemsAndUseTheFirstFour) {
  const auto three = DecideFsBuiltIn(u"DragAddRect", u"1,2,3", kWindowed);
  EXPECT_TRUE(three.handled);
  EXPECT_EQ(three.action, FsAction::kNothing);
  EXPECT_EQ(three.returnValue, Text(u"0"));
  EXPECT_EQ(three.logged, Text(u"0"));

  const auto five = DecideFsBuiltIn(u"DragAddEllipse", u"1, 2,3,4,5", kAuthoringTransparent);
  EXPECT_EQ(five.action, FsAction::kDragAdd);
  EXPECT_EQ(five.shape, FsDragShape::kEllipse);
  EXPECT_EQ(five.points, (std::vector<int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(five.returnValue, Text(u"1"));

  const auto emptyItem = DecideFsBuiltIn(u"DragSubRect", u"5,,7,8", kWindowed);
  EXPECT_EQ(emptyItem.action, FsAction::kDragSubtract);
  EXPECT_EQ(emptyItem.shape, FsDragShape::kRectangle);
  EXPECT_EQ(emptyItem.points, (std::vector<int32_t>{5, 0, 7, 8}));
}

TEST(FsBuiltInRules, DragPolygonsTakeAnEvenCountOfAtLeastSix) {
  EXPECT_EQ(DecideFsBuiltIn(u"DragAddPoly", u"1,2,3,4,5", kWindowed).returnValue, Text(u"0"));
  const auto seven = DecideFsBuiltIn(u"DragSubPoly", u"1,2,3,4,5,6,7", kWindowed);
  EXPECT_EQ(seven.action, FsAction::kDragSubtract);
  EXPECT_EQ(seven.shape, FsDragShape::kPolygon);
  EXPECT_EQ(seven.points, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(seven.logged, Text(u"1"));
  const auto cancel = DecideFsBuiltIn(u"dragcancel", u"", kTransparent);
  EXPECT_EQ(cancel.action, FsAction::kDragCancel);
  EXPECT_EQ(cancel.returnValue, Text(u"1"));
}

TEST(FsBuiltInRules, WindowRowsAreBuiltInOnlyForTheTransparentPlayer) {
  for (FsHostMode mode : {kWindowed, kAuthoringTransparent, kAuthoringWindowed}) {
    EXPECT_FALSE(DecideFsBuiltIn(u"WindowSetState", u"1", mode).handled);
    EXPECT_FALSE(DecideFsBuiltIn(u"WindowSetPos", u"0,10,20", mode).handled);
    EXPECT_FALSE(DecideFsBuiltIn(u"WindowSetPosRel", u"0,10,20", mode).handled);
    EXPECT_FALSE(DecideFsBuiltIn(u"WindowShow", u"1", mode).handled);
  }
  const auto minimize = DecideFsBuiltIn(u"WindowSetState", u"1", kTransparent);
  EXPECT_EQ(minimize.action, FsAction::kMinimize);
  EXPECT_EQ(minimize.logged, Text(u"1"));
  EXPECT_EQ(minimize.returnValue, std::nullopt);
  const auto two = DecideFsBuiltIn(u"WindowSetState", u"2", kTransparent);
  EXPECT_TRUE(two.handled);
  EXPECT_EQ(two.action, FsAction::kNothing);
  EXPECT_EQ(two.logged, Text(u"-1"));
  EXPECT_FALSE(DecideFsBuiltIn(u"WindowSetState", u"0", kTransparent).handled);
  EXPECT_FALSE(DecideFsBuiltIn(u"WindowSetState", u"", kTransparent).handled);

  const auto show = DecideFsBuiltIn(u"windowshow", u"", kTransparent);
  EXPECT_TRUE(show.handled);
  EXPECT_EQ(show.logged, Text(u"0"));
}

TEST(FsBuiltInRules, WindowMovesNeedBothPositionItems) {
  const auto moved = DecideFsBuiltIn(u"WindowSetPos", u"ignored, 30,-40", kTransparent);
  EXPECT_EQ(moved.action, FsAction::kRecordMove);
  EXPECT_FALSE(moved.relative);
  EXPECT_EQ(moved.x, 30);
  EXPECT_EQ(moved.y, -40);
  EXPECT_EQ(moved.logged, Text(u"-99"));
  EXPECT_EQ(moved.returnValue, std::nullopt);

  const auto relative = DecideFsBuiltIn(u"WindowSetPosRel", u",5,6", kTransparent);
  EXPECT_EQ(relative.action, FsAction::kRecordMove);
  EXPECT_TRUE(relative.relative);

  for (auto args : {u"10,20", u"0,,20", u"0,10,"}) {
    const auto missing = DecideFsBuiltIn(u"WindowSetPos", args, kTransparent);
    EXPECT_TRUE(missing.handled);
    EXPECT_EQ(missing.action, FsAction::kNothing);
    EXPECT_EQ(missing.logged, Text(u"0"));
  }
}

TEST(FsBuiltInRules, TheAuthoringProgramIsKnownByItsFileName) {
  EXPECT_TRUE(IsAuthoringHostPath(u"C:\\Program Files\\Zentrapolis\\ZENTRAPOLIS.EXE"));
  EXPECT_TRUE(IsAuthoringHostPath(u"/opt/zentrapolis.exe"));
  EXPECT_TRUE(IsAuthoringHostPath(u"Zentrapolis.exe"));
  EXPECT_FALSE(IsAuthoringHostPath(u"C:\\Zentrapolis.exe\\Projector.exe"));
  EXPECT_FALSE(IsAuthoringHostPath(u"C:\\MyZentrapolis.exe"));
  EXPECT_FALSE(IsAuthoringHostPath(u""));
}

}  // namespace
}  // namespace zp
