// The keyboard in movies written by the test writer: the keys a button's key-press actions
// ask for, the Key object and its listeners, the focus Tab moves and the rectangle it shows.
#include "core/swf/swf_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/swf/swf_actions.h"
#include "core/swf/swf_button.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_render.h"
#include "core/text.h"
#include "swf_movie_test_support.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using movie_test::Traced;
using movie_test::Build;
using movie_test::TraceOn;

using swfgen::ActionWriter;
using swfgen::ButtonActionSpec;
using swfgen::MovieWriter;
using swfgen::Placement;
using S = std::string;
using Lines = std::vector<std::string>;

constexpr uint8_t kNewObject = 0x40, kSetMember = 0x4F, kCallMethod = 0x52, kPop = 0x17;
constexpr uint8_t kEveryLook = kLookUp | kLookOver | kLookDown | kLookHitArea;

// `object.method(variable)`, its result dropped.
ActionWriter& CallWithVariable(ActionWriter& a, const S& object, const S& method, const S& variable) {
  a.Push({variable}).Op(kActionGetVariable).Push({1, object}).Op(kActionGetVariable).Push({method});
  return a.Op(kCallMethod).Op(kPop);
}

TEST(SwfKeys, KeyPressActionsRunForTheKeyTheyAskFor) {
  struct Case {
    const char* name;
    int key;
    int ascii;
    Lines traced;
  };
  const Case cases[] = {
      {"left", kKeyLeft, 0, {"left"}},          {"right", kKeyRight, 0, {"right"}},
      {"home", kKeyHome, 0, {"home"}},          {"end", kKeyEnd, 0, {"end"}},
      {"insert", kKeyInsert, 0, {"insert"}},    {"delete", kKeyDelete, 0, {"delete"}},
      {"backspace", kKeyBackspace, 8, {"backspace"}}, {"enter", kKeyEnter, 13, {"enter"}},
      {"up", kKeyUp, 0, {"up"}},                {"down", kKeyDown, 0, {"down"}},
      {"page up", kKeyPageUp, 0, {"pageUp"}},   {"page down", kKeyPageDown, 0, {"pageDown"}},
      {"space", kKeySpace, ' ', {"space"}},     {"escape", kKeyEscape, 27, {"escape"}},
      {"small letter", 'A', 'a', {"a"}},        {"capital letter", 'A', 'A', {"A"}},
      {"tilde", 192, '~', {"~"}},
      // Tab gives the only button the focus: Space then presses it as well.
      {"tab", kKeyTab, 9, {"tab"}},             {"space on the focused button", kKeySpace, ' ', {"space", "press"}},
      {"a key no button asks for", 'B', 'b', {}}, {"shift alone", kKeyShift, 0, {}},
      {"a key beyond the tracked codes", 300, 0, {}},
  };
  MovieWriter m(8, 400, 300, 12);
  m.DefineRect(1, {0, 0, 1000, 1000}, {255, 0, 0, 255});
  const std::pair<uint8_t, const char*> asks[] = {
      {1, "left"},    {2, "right"}, {3, "home"},    {4, "end"},     {5, "insert"},  {6, "delete"},
      {8, "backspace"}, {13, "enter"}, {14, "up"},  {15, "down"},   {16, "pageUp"}, {17, "pageDown"},
      {18, "tab"},    {19, "escape"}, {'a', "a"},   {'A', "A"},     {' ', "space"}, {'~', "~"}};
  std::vector<ButtonActionSpec> actions{TraceOn(kCondOverUpToOverDown, "press")};  // the mouse only
  for (const auto& [code, text] : asks) actions.push_back(TraceOn(0, text, code));
  m.DefineButton2(2, {{kEveryLook, 1, 1}}, actions);
  m.Place(1, 2, 0, 0).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    p.KeyDown(c.key, c.ascii);
    EXPECT_EQ(Traced(p), c.traced);
    EXPECT_EQ(p.IsKeyDown(c.key), c.key <= kMaxKeyCode);
    p.KeyUp(c.key, c.ascii);
    EXPECT_EQ(Traced(p), Lines{});
    EXPECT_FALSE(p.IsKeyDown(c.key));
  }
}

TEST(SwfKeys, KeyListenersHearPressesUntilRemoved) {
  MovieWriter m(8, 400, 300, 12);
  m.DefineRect(1, {0, 0, 1000, 1000}, {255, 0, 0, 255});
  // Pressing "r" takes the listener off before it hears that press.
  ActionWriter remove;
  CallWithVariable(remove, "Key", "removeListener", "l");
  m.DefineButton2(2, {{kEveryLook, 1, 1}}, {{0, 'r', remove}});
  m.Place(1, 2, 0, 0);
  ActionWriter down, up, frame;
  down.Push({S("down")}).Trace().CallMethod("Key", "getCode", {}).Trace().CallMethod("Key", "getAscii", {}).Trace();
  down.CallMethod("Key", "isDown", {65}).Trace();
  up.Push({S("up")}).Trace().CallMethod("Key", "getCode", {}).Trace();
  frame.Push({S("l"), 0, S("Object")}).Op(kNewObject).Op(kActionSetVariable);
  frame.Push({S("l")}).Op(kActionGetVariable).Push({S("onKeyDown")}).DefineFunction("", {}, down).Op(kSetMember);
  frame.Push({S("l")}).Op(kActionGetVariable).Push({S("onKeyUp")}).DefineFunction("", {}, up).Op(kSetMember);
  CallWithVariable(frame, "Key", "addListener", "l");
  CallWithVariable(frame, "Key", "addListener", "l");  // a second time: still told once
  m.Actions(frame).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  p.KeyDown('A', 'a');
  EXPECT_EQ(Traced(p), (Lines{"down", "65", "97", "true"}));
  p.KeyUp('A', 'a');
  EXPECT_EQ(Traced(p), (Lines{"up", "65"}));
  p.KeyDown(kKeyLeft, 0);
  EXPECT_EQ(Traced(p), (Lines{"down", "37", "0", "false"}));
  p.KeyUp(kKeyLeft, 0);
  (void)Traced(p);
  p.KeyDown('R', 'r');
  p.KeyUp('R', 'r');
  p.KeyDown('A', 'a');
  EXPECT_EQ(Traced(p), Lines{});
}

// Three buttons at (200, 100), (0, 0) and (100, 300) pixels, each 50 pixels square; Enter
// on one traces its press and release. Keys "i" (tab indexes), "f" (no focus rectangle)
// and "m" (the mouse as the root and a clip see it) change or show the rest.
MovieWriter FocusMovie() {
  MovieWriter m(8, 400, 400, 12);
  m.DefineRect(1, {0, 0, 1000, 1000}, {255, 0, 0, 255});
  ActionWriter indexes;
  indexes.Push({S("b3")}).Op(kActionGetVariable).Push({S("tabIndex"), 1}).Op(kSetMember);
  indexes.Push({S("b1")}).Op(kActionGetVariable).Push({S("tabIndex"), 2}).Op(kSetMember);
  ActionWriter noRect;
  noRect.Push({S("_focusrect"), false}).Op(kActionSetVariable);
  ActionWriter mouse;
  mouse.Push({S("_xmouse")}).Op(kActionGetVariable).Trace();
  mouse.Push({S("b1")}).Op(kActionGetVariable).Push({S("_xmouse")}).Op(kActionGetMember).Trace();
  m.DefineButton2(2, {{kEveryLook, 1, 1}},
                  {TraceOn(kCondOverUpToOverDown, "press"), TraceOn(kCondOverDownToOverUp, "release"),
                   {0, 'i', indexes}, {0, 'f', noRect}, {0, 'm', mouse}});
  m.PlaceObject2(Placement(1).Character(2).At(4000, 2000).Name("b1"));
  m.PlaceObject2(Placement(2).Character(2).At(0, 0).Name("b2"));
  m.PlaceObject2(Placement(3).Character(2).At(2000, 6000).Name("b3"));
  ActionWriter frame;
  frame.Push({S("l"), 0, S("Object")}).Op(kNewObject).Op(kActionSetVariable);
  ActionWriter told;
  told.Push({S("focus "), S("newFocus")}).Op(kActionGetVariable).Op(kActionAdd2).Trace();
  frame.Push({S("l")}).Op(kActionGetVariable).Push({S("onSetFocus")});
  frame.DefineFunction("", {"oldFocus", "newFocus"}, told).Op(kSetMember);
  CallWithVariable(frame, "Selection", "addListener", "l");
  m.Actions(frame).ShowFrame();
  return m;
}

std::string FocusName(Player& p) { return p.Focus() ? U16ToUtf8(p.Focus()->name) : "none"; }

void Press(Player& p, int key, int ascii = 0) {
  p.KeyDown(key, ascii);
  p.KeyUp(key, ascii);
}

TEST(SwfKeys, TabVisitsTheButtonsInOrderAndEnterPressesTheFocusedOne) {
  Player p;
  p.Load(Build(FocusMovie()), 0);
  EXPECT_EQ(FocusName(p), "none");
  EXPECT_FALSE(p.FocusRectangle());
  struct Step {
    const char* name;
    int key;
    int ascii;
    bool shift;
    std::string focus;
    Lines traced;
  };
  const Step steps[] = {
      {"first tab: top left", kKeyTab, 9, false, "b2", {"focus _level0.b2"}},
      {"then down the stage", kKeyTab, 9, false, "b1", {"focus _level0.b1"}},
      {"lowest", kKeyTab, 9, false, "b3", {"focus _level0.b3"}},
      {"round again", kKeyTab, 9, false, "b2", {"focus _level0.b2"}},
      {"shift goes back", kKeyTab, 9, true, "b3", {"focus _level0.b3"}},
      {"enter presses it", kKeyEnter, 13, false, "b3", {"press", "release"}},
      {"space too", kKeySpace, ' ', false, "b3", {"press", "release"}},
      {"tab indexes: only those, by index", 'I', 'i', false, "b3", {}},
      {"index 2 after 1", kKeyTab, 9, false, "b1", {"focus _level0.b1"}},
      {"and back to 1", kKeyTab, 9, false, "b3", {"focus _level0.b3"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    if (step.shift) p.KeyDown(kKeyShift, 0);
    Press(p, step.key, step.ascii);
    if (step.shift) p.KeyUp(kKeyShift, 0);
    EXPECT_EQ(FocusName(p), step.focus);
    EXPECT_EQ(Traced(p), step.traced);
  }
  // The rectangle stands round the focused button (b3 at 100, 300 px), drawn last, in yellow.
  const auto rect = p.FocusRectangle();
  ASSERT_TRUE(rect);
  EXPECT_EQ((std::vector<double>{rect->xMin, rect->yMin, rect->xMax, rect->yMax}),
            (std::vector<double>{2000, 6000, 3000, 7000}));
  const auto items = BuildDrawList(p, ComputeViewTransform({0, 8000, 0, 8000}, std::nullopt, ScaleMode::kShowAll, 400, 400));
  ASSERT_FALSE(items.empty());
  EXPECT_TRUE(items.back().stroke);
  EXPECT_EQ(items.back().color, (Rgba{255, 255, 0, 255}));
  Press(p, 'F', 'f');
  EXPECT_FALSE(p.FocusRectangle());
  EXPECT_EQ(FocusName(p), "b3");
  // The mouse at (250, 150) px: 250 on the root, 50 on b1, which stands at 200 (each of the
  // three buttons answers the key).
  p.MouseMove({5000, 3000});
  Press(p, 'M', 'm');
  EXPECT_EQ(Traced(p), (Lines{"250", "50", "250", "50", "250", "50"}));
}

TEST(SwfKeys, ButtonSoundsAreKeptForTheirButtonAndCutShortOnesLeftOut) {
  using B = std::vector<uint8_t>;
  struct Case {
    const char* name;
    B body;
    bool read;
    std::array<uint16_t, 4> sounds;
  };
  const Case cases[] = {
      {"no sounds", {2, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true, {0, 0, 0, 0}},
      {"plain sound on press", {2, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0}, true, {0, 0, 7, 0}},
      {"every optional part", {2, 0, 9, 0, 0x0F, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 1, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0, 0, 0},
       true, {9, 0, 0, 0}},
      {"envelope cut short", {2, 0, 9, 0, 0x08, 2, 1, 2, 3, 4, 5, 6, 7, 8}, false, {}},
      {"ends before the last sound", {2, 0, 0, 0, 0, 0}, false, {}},
      {"empty", {}, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto sounds = ParseButtonSound(c.body);
    ASSERT_EQ(sounds.has_value(), c.read);
    if (!sounds) continue;
    EXPECT_EQ(sounds->button, 2);
    EXPECT_EQ(sounds->sounds, c.sounds);
  }
}

}  // namespace
}  // namespace zp::swf
