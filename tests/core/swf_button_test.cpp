// Buttons in movies written by the test writer: what each mouse transition shows and runs,
// which button the mouse is on, and definitions cut short.
#include "core/swf/swf_button.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/swf/swf_actions.h"
#include "core/swf/swf_button_hit.h"
#include "core/swf/swf_player.h"
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
using swfgen::ButtonRecordSpec;
using swfgen::MovieWriter;
using swfgen::Placement;
using S = std::string;
using Lines = std::vector<std::string>;

// Characters of the button movie: its looks and its hit area.
enum : uint16_t { kUpShape = 1, kOverShape = 3, kDownShape = 4, kHitShape = 5, kButtonId = 2, kHolder = 6 };

// A button inside a clip "holder" at (100, 100) px; its hit area covers 0..50 px of it.
MovieWriter ButtonMovie() {
  MovieWriter m(8, 400, 300, 12);
  m.DefineRect(kUpShape, {0, 0, 1000, 1000}, {255, 0, 0, 255});
  m.DefineRect(kOverShape, {0, 0, 1000, 1000}, {0, 255, 0, 255});
  m.DefineRect(kDownShape, {0, 0, 1000, 1000}, {0, 0, 255, 255});
  m.DefineRect(kHitShape, {0, 0, 1000, 1000}, {0, 0, 0, 255});
  ActionWriter context;  // runs in the clip that holds the button
  context.Push({S("context "), S("_target")}).Op(kActionGetVariable).Op(kActionAdd2).Trace();
  ButtonActionSpec release{kCondOverDownToOverUp, 0, context};
  m.DefineButton2(kButtonId,
                  {{kLookUp, kUpShape, 1}, {kLookOver, kOverShape, 1}, {kLookDown, kDownShape, 1},
                   {kLookHitArea, kHitShape, 1}},
                  {TraceOn(kCondIdleToOverUp, "rollOver"), TraceOn(kCondOverUpToIdle, "rollOut"),
                   TraceOn(kCondOverUpToOverDown, "press"), TraceOn(kCondOverDownToOverUp, "release"), release,
                   TraceOn(kCondOverDownToOutDown, "dragOut"), TraceOn(kCondOutDownToOverDown, "dragOver"),
                   TraceOn(kCondOutDownToIdle, "releaseOutside"), TraceOn(0, "key", 13)});
  MovieWriter holder(8, 0, 0, 12);
  holder.PlaceObject2(Placement(1).Character(kButtonId).Name("btn")).ShowFrame();
  m.DefineSprite(kHolder, holder);
  m.PlaceObject2(Placement(1).Character(kHolder).At(2000, 2000).Name("holder"));
  // A handler method scripts set runs after the button's own actions.
  ActionWriter onPress;
  onPress.Push({S("onPress "), S("this")}).Op(kActionGetVariable).Op(kActionAdd2).Trace();
  ActionWriter frame;
  frame.Push({S("holder")}).Op(kActionGetVariable).Push({S("btn")}).Op(kActionGetMember);
  frame.Push({S("onPress")}).DefineFunction("", {}, onPress).Op(kActionSetMember);
  m.Actions(frame).ShowFrame();
  return m;
}

TEST(SwfButton, MouseTransitionsShowTheirLookAndRunTheirActions) {
  Player p;
  p.Load(Build(ButtonMovie()), 0);
  Instance* button = p.root().FindByPath(u"holder.btn", false);
  ASSERT_NE(button, nullptr);
  enum Op { kMove, kDown, kUp };
  const Point in{2500, 2500}, out{6000, 6000};
  struct Step {
    const char* name;
    Op op;
    Point at;
    Lines traced;
    ButtonPhase phase;
    uint16_t look;
  };
  const Step steps[] = {
      {"away", kMove, out, {}, ButtonPhase::kIdle, kUpShape},
      {"roll over", kMove, in, {"rollOver"}, ButtonPhase::kOverUp, kOverShape},
      {"moving within", kMove, {2600, 2600}, {}, ButtonPhase::kOverUp, kOverShape},
      {"press", kDown, in, {"press", "onPress _level0.holder.btn"}, ButtonPhase::kOverDown, kDownShape},
      {"drag out", kMove, out, {"dragOut"}, ButtonPhase::kOutDown, kOverShape},
      {"drag back", kMove, in, {"dragOver"}, ButtonPhase::kOverDown, kDownShape},
      {"release", kUp, in, {"release", "context /holder"}, ButtonPhase::kOverUp, kOverShape},
      {"roll out", kMove, out, {"rollOut"}, ButtonPhase::kIdle, kUpShape},
      {"press beside it", kDown, out, {}, ButtonPhase::kIdle, kUpShape},
      {"dragged on while pressed elsewhere", kMove, in, {}, ButtonPhase::kIdle, kUpShape},
      {"let go on it", kUp, in, {"rollOver"}, ButtonPhase::kOverUp, kOverShape},
      {"press again", kDown, in, {"press", "onPress _level0.holder.btn"}, ButtonPhase::kOverDown, kDownShape},
      {"release outside", kUp, out, {"dragOut", "releaseOutside"}, ButtonPhase::kIdle, kUpShape},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    switch (step.op) {
      case kMove: p.MouseMove(step.at); break;
      case kDown: p.MouseDown(step.at); break;
      case kUp: p.MouseUp(step.at); break;
    }
    EXPECT_EQ(Traced(p), step.traced);
    EXPECT_EQ(button->buttonPhase, step.phase);
    ASSERT_EQ(button->children.size(), 1u);
    EXPECT_EQ(button->children.begin()->second.character, step.look);
    EXPECT_EQ(p.OverActiveButton(), step.phase == ButtonPhase::kOverUp || step.phase == ButtonPhase::kOverDown);
  }
}

TEST(SwfButton, FirstKindRunsItsActionsOnReleaseOnly) {
  MovieWriter m(4, 400, 300, 12);
  m.DefineRect(1, {0, 0, 1000, 1000}, {255, 0, 0, 255});
  const uint8_t everyLook = kLookUp | kLookOver | kLookDown | kLookHitArea;
  m.DefineButton(2, {{everyLook, 1, 1}}, ActionWriter().Push({S("clicked")}).Trace());
  m.Place(1, 2, 0, 0).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  p.MouseMove({500, 500});
  p.MouseDown({500, 500});
  EXPECT_EQ(Traced(p), Lines{});
  p.MouseUp({500, 500});
  EXPECT_EQ(Traced(p), Lines{"clicked"});
  ASSERT_EQ(p.root().children.size(), 1u);
  EXPECT_EQ(p.root().children.begin()->second.name, u"instance1");
}

TEST(SwfButton, TheTopMostVisibleEnabledButtonWhoseHitAreaCoversThePointTakesTheMouse) {
  MovieWriter m(8, 400, 300, 12);
  m.DefineEllipse(1, {0, 0, 2000, 2000}, {255, 0, 0, 255});
  m.DefineRect(2, {0, 0, 1000, 1000}, {0, 255, 0, 255});
  m.DefineButton2(3, {{kLookUp | kLookHitArea, 1, 1}}, {});  // round
  m.DefineButton2(4, {{kLookUp | kLookHitArea, 2, 1, 1000, 1000}}, {});  // square, moved by its record
  m.PlaceObject2(Placement(1).Character(3).Name("round"));
  m.PlaceObject2(Placement(2).Character(4).Name("square"));
  Player p;
  p.Load(Build(m.ShowFrame()), 0);
  struct Case {
    const char* name;
    Point at;
    const char16_t* expected;  // null: none
  };
  const Case cases[] = {
      {"inside the circle", {600, 600}, u"round"},
      {"corner of the circle's box", {100, 100}, nullptr},
      {"where both are, the upper", {1500, 1500}, u"square"},
      {"the square beyond the circle", {1950, 1950}, u"square"},
      {"off both", {3000, 100}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Instance* found = ButtonAt(p.root(), c.at);
    EXPECT_EQ(found ? found->name : u"", c.expected ? c.expected : u"");
  }
  p.root().ChildByName(u"square", false)->enabled = false;
  Instance* below = ButtonAt(p.root(), {1500, 1500});
  EXPECT_EQ(below ? below->name : u"", u"round");
  p.root().ChildByName(u"round", false)->visible = false;
  EXPECT_EQ(ButtonAt(p.root(), {1500, 1500}), nullptr);
}

TEST(SwfButton, ClipsWithButtonHandlersTakeTheMouseWhereTheyShowSomething) {
  MovieWriter m(8, 400, 300, 12);
  m.DefineRect(1, {0, 0, 1000, 1000}, {255, 0, 0, 255});
  MovieWriter inner(8, 0, 0, 12);
  inner.Place(1, 1).ShowFrame();
  m.DefineSprite(2, inner);
  m.PlaceObject2(Placement(1).Character(2).Name("active"));
  m.PlaceObject2(Placement(2).Character(2).At(500, 0).Name("plain"));  // over it, without handlers
  ActionWriter onRelease;
  onRelease.Push({S("released "), S("this")}).Op(kActionGetVariable).Op(kActionAdd2).Trace();
  ActionWriter frame;
  frame.Push({S("active")}).Op(kActionGetVariable).Push({S("onRelease")});
  m.Actions(frame.DefineFunction("", {}, onRelease).Op(kActionSetMember));
  Player p;
  p.Load(Build(m.ShowFrame()), 0);
  for (const Point at : {Point{800, 500}, Point{200, 500}, Point{1200, 500}}) {
    p.MouseMove(at);
    p.MouseDown(at);
    p.MouseUp(at);
  }
  // Under the clip without handlers, and beside the active one, nothing takes the click.
  EXPECT_EQ(Traced(p), (Lines{"released _level0.active", "released _level0.active"}));
}

TEST(SwfButton, DefinitionsCutShortKeepWhatWasWhole) {
  MovieWriter m(8, 400, 300, 12);
  m.DefineButton2(7, {{kLookUp, 1, 1}, {kLookHitArea, 1, 2}},
                  {TraceOn(kCondIdleToOverUp, "a"), TraceOn(kCondOverUpToIdle, "b")});
  auto file = File::Parse(m.Finish(false));
  ASSERT_TRUE(file);
  std::span<const uint8_t> body;
  for (const Tag& tag : file->tags()) {
    if (tag.code == kTagDefineButton2) body = tag.body;
  }
  const auto whole = ParseButton(kTagDefineButton2, body);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->records.size(), 2u);
  ASSERT_EQ(whole->actions.size(), 2u);
  EXPECT_EQ(whole->actions[1].conditions, kCondOverUpToIdle);
  for (size_t n = 0; n < body.size(); ++n) {
    const auto cut = ParseButton(kTagDefineButton2, body.first(n));
    EXPECT_EQ(cut.has_value(), n >= 2) << n;
    if (!cut) continue;
    EXPECT_LE(cut->records.size(), 2u);
    for (const ButtonAction& action : cut->actions) {
      const uint8_t* end = action.actions.data() + action.actions.size();
      EXPECT_TRUE(action.actions.data() >= body.data() && end <= body.data() + n);
    }
  }
  // A chain whose first size claims more than remains takes the rest as its actions.
  std::vector<uint8_t> damaged(body.begin(), body.end());
  const size_t chain = 3 + (damaged[3] | (damaged[4] << 8));
  damaged[chain] = 0xFF;
  damaged[chain + 1] = 0x7F;
  const auto lenient = ParseButton(kTagDefineButton2, damaged);
  ASSERT_TRUE(lenient);
  ASSERT_EQ(lenient->actions.size(), 1u);
  EXPECT_EQ(lenient->actions[0].actions.size(), damaged.size() - chain - 4);
}

}  // namespace
}  // namespace zp::swf
