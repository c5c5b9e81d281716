// Clip events, the clip methods that make and move clips, the drawing methods and text fields,
// as movies written by the test writer use them.
#include "core/swf/swf_clip_events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/swf/swf_bounds.h"
#include "core/swf/swf_drawing.h"
#include "core/swf/swf_player.h"
#include "core/text.h"
#include "swf_movie_test_support.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using movie_test::Traced;
using movie_test::Build;

using swfgen::ActionWriter;
using swfgen::Bytes;
using swfgen::MovieWriter;
using swfgen::Placement;
using S = std::string;
using I = int32_t;
using Lines = std::vector<std::string>;

void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Handler records as version 6 and later store them: reserved, all events, records, end.
Bytes ClipEvents(std::initializer_list<std::pair<uint32_t, Bytes>> handlers) {
  Bytes b{0, 0};
  uint32_t all = 0;
  for (const auto& [events, code] : handlers) all |= events;
  Put32(b, all);
  for (const auto& [events, code] : handlers) {
    Put32(b, events);
    Put32(b, static_cast<uint32_t>(code.size()));
    b.insert(b.end(), code.begin(), code.end());
  }
  Put32(b, 0);
  return b;
}

Bytes TraceCode(const std::string& text) { return ActionWriter().Push({text}).Trace().Finish(); }

TEST(SwfClipEvents, HandlerRecordsReadWholeOrNotAtAll) {
  const Bytes one = TraceCode("x");
  Bytes version5{0, 0, 0x03, 0, 0x03, 0};  // load and enter frame, 16-bit fields
  version5.push_back(static_cast<uint8_t>(one.size()));
  version5.insert(version5.end(), {0, 0, 0});
  version5.insert(version5.end(), one.begin(), one.end());
  version5.insert(version5.end(), {0, 0});
  Bytes keyPress{0, 0};
  Put32(keyPress, kEventKeyPress);
  Put32(keyPress, kEventKeyPress);
  Put32(keyPress, 2);
  keyPress.insert(keyPress.end(), {13, 0});
  Bytes oversized = ClipEvents({{kEventLoad, one}});
  oversized[10] = 0xFF;  // the record's size runs past the end
  struct Case {
    const char* name;
    Bytes bytes;
    uint8_t version;
    std::vector<uint32_t> events;
  };
  const Case cases[] = {
      {"two records", ClipEvents({{kEventLoad, one}, {kEventEnterFrame | kEventUnload, one}}), 8,
       {kEventLoad, kEventEnterFrame | kEventUnload}},
      {"version 5 fields", version5, 5, {kEventLoad | kEventEnterFrame}},
      {"key press code", keyPress, 6, {kEventKeyPress}},
      {"size past the end", oversized, 6, {}},
      {"empty", {}, 6, {}},
      {"cut in the header", {0, 0, 1}, 6, {}},
  };
  for (const Case& c : cases) {
    const auto handlers = ReadClipEventHandlers(c.bytes, c.version);
    std::vector<uint32_t> events;
    for (const auto& h : handlers) events.push_back(h.events);
    EXPECT_EQ(events, c.events) << c.name;
    if (std::string(c.name) == "key press code") {
      ASSERT_EQ(handlers.size(), 1u);
      EXPECT_EQ(handlers[0].keyCode, 13);
      EXPECT_EQ(handlers[0].actions.size(), 1u);
    }
  }
}

// A stopped root with a one-frame clip whose handlers trace: load once, enter frame on every
// later frame, and frames keep coming for the handler although nothing plays.
TEST(SwfClipEvents, LoadThenEnterFrameKeepFramesComing) {
  MovieWriter sprite(8, 100, 100, 10);
  sprite.Actions(ActionWriter().Push({S("frame")}).Trace()).ShowFrame();
  MovieWriter m(8, 100, 100, 10);
  m.DefineSprite(2, sprite);
  m.PlaceObject2(Placement(1).Character(2).Name("c").ClipActions(
      ClipEvents({{kEventLoad, TraceCode("load")}, {kEventEnterFrame, TraceCode("enter")}})));
  m.Actions(ActionWriter().Stop().Push({S("root")}).Trace()).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  EXPECT_EQ(Traced(p), (Lines{"root", "load", "frame"}));
  EXPECT_TRUE(p.NeedsFrames());
  EXPECT_EQ(p.StepFrames(2), 2);
  EXPECT_EQ(Traced(p), (Lines{"enter", "enter"}));
}

// Every clip hears every key going down and up, in the order they came on the stage; a
// key-press handler only its own key.
TEST(SwfClipEvents, KeyEventsReachEveryClipAndKeyPressOnlyItsKey) {
  MovieWriter sprite(8, 100, 100, 10);
  sprite.ShowFrame();
  MovieWriter m(8, 100, 100, 10);
  m.DefineSprite(2, sprite);
  Bytes onEnter{13};  // the key a key-press handler asks for comes first
  const Bytes trace = TraceCode("enter pressed");
  onEnter.insert(onEnter.end(), trace.begin(), trace.end());
  m.PlaceObject2(Placement(1).Character(2).Name("c").ClipActions(ClipEvents(
      {{kEventKeyDown, TraceCode("down")}, {kEventKeyUp, TraceCode("up")}, {kEventKeyPress, onEnter}})));
  m.PlaceObject2(Placement(2).Character(2).Name("d").ClipActions(ClipEvents({{kEventKeyDown, TraceCode("d down")}})));
  m.Actions(ActionWriter().Stop()).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  struct Step {
    bool down;
    int key;
    Lines traced;
  };
  const Step steps[] = {{true, 'A', {"down", "d down"}}, {false, 'A', {"up"}}, {true, 13, {"down", "d down", "enter pressed"}},
                        {false, 13, {"up"}}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.key);
    if (step.down) p.KeyDown(step.key, step.key == 'A' ? 'a' : step.key);
    else p.KeyUp(step.key, 0);
    EXPECT_EQ(Traced(p), step.traced);
  }
}

// onEnterFrame set by a script runs each frame until deleted; then a stopped movie rests.
TEST(SwfClipEvents, EnterFrameMethodRunsUntilDeleted) {
  MovieWriter m(8, 100, 100, 10);
  ActionWriter body;
  body.Push({S("n"), S("n")}).Op(kActionGetVariable).Op(kActionIncrement).Op(kActionSetVariable);
  body.Push({S("n")}).Op(kActionGetVariable).Trace();
  body.Push({S("n")}).Op(kActionGetVariable).Push({I{2}}).Op(kActionLess2).If("keep");
  body.Push({S("_root")}).Op(kActionGetVariable).Push({S("onEnterFrame")}).Op(kActionDelete).Op(kActionPop);
  body.Mark("keep");
  ActionWriter a;
  a.Stop().SetVariable("n", I{0});
  a.Push({S("_root")}).Op(kActionGetVariable).Push({S("onEnterFrame")}).DefineFunction("", {}, body).Op(kActionSetMember);
  m.Actions(a).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  EXPECT_TRUE(p.NeedsFrames());
  p.StepFrames(5);
  EXPECT_EQ(Traced(p), (Lines{"1", "2"}));
  EXPECT_FALSE(p.NeedsFrames());
}

// Clips made, copied, moved and removed by scripts, and what scripts measure of them.
TEST(SwfClipEvents, ClipMethodsMakeMoveAndMeasure) {
  MovieWriter sprite(8, 100, 100, 10);
  sprite.Place(1, 1).ShowFrame();
  MovieWriter m(8, 100, 100, 10);
  m.DefineRect(1, {0, 0, 400, 200}, {255, 0, 0, 255});
  m.DefineSprite(2, sprite).Export(2, "Box");
  ActionWriter a;
  a.CallMethod("_root", "attachMovie", {S("Box"), S("a"), I{5}}).Trace();           // _level0.a
  a.CallMethod("_root", "attachMovie", {S("Nothing"), S("b"), I{6}}).Trace();       // undefined
  a.Push({S("a._width")}).Op(kActionGetVariable).Trace();                           // 20
  a.Push({S("a._height")}).Op(kActionGetVariable).Trace();                          // 10
  a.Push({S("a")}).Op(kActionGetVariable).Push({S("_width"), I{40}}).Op(kActionSetMember);
  a.Push({S("a._xscale")}).Op(kActionGetVariable).Trace();                          // 200
  a.CallMethod("a", "duplicateMovieClip", {S("b"), I{7}}).Trace();                  // _level0.b
  a.CallMethod("b", "getDepth", {}).Trace();                                        // 7
  a.CallMethod("b", "swapDepths", {I{1}}).Op(kActionPop);
  a.CallMethod("b", "getDepth", {}).Trace();                                        // 1
  a.CallMethod("_root", "getInstanceAtDepth", {I{5}}).Trace();                      // _level0.a
  a.CallMethod("_root", "createEmptyMovieClip", {S("e"), I{9}}).Trace();            // _level0.e
  a.CallMethod("e", "getNextHighestDepth", {}).Trace();                             // 0
  a.CallMethod("_root", "getNextHighestDepth", {}).Trace();                         // 10
  a.CallMethod("a", "hitTest", {I{30}, I{5}}).Trace();                              // true
  a.CallMethod("a", "hitTest", {I{50}, I{5}}).Trace();                              // false
  a.CallMethod("b", "removeMovieClip", {}).Op(kActionPop);
  a.Push({S("b")}).Op(kActionGetVariable).Op(kActionTypeOf).Trace();                // undefined
  m.Actions(a).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  EXPECT_EQ(Traced(p), (Lines{"_level0.a", "undefined", "20", "10", "200", "_level0.b", "7", "1", "_level0.a",
                              "_level0.e", "0", "10", "true", "false", "undefined"}));
}

TEST(SwfClipEvents, DrawingClosesFillsAndKeepsStrokesOverThem) {
  ScriptDrawing d;
  LineStyle line;
  line.width = 40;
  d.SetLineStyle(line);
  Paint red;
  red.color = {255, 0, 0, 255};
  d.BeginFill(red);
  d.MoveTo({0, 0});
  d.LineTo({100, 0});
  d.LineTo({100, 100});
  // While the fill is open it shows closed, its stroke over it.
  ASSERT_EQ(d.geometry().parts.size(), 2u);
  EXPECT_FALSE(d.geometry().parts[0].stroke);
  EXPECT_EQ(d.geometry().parts[0].contours[0].size(), 4u);
  d.EndFill();
  d.SetLineStyle(std::nullopt);
  d.MoveTo({0, 0});
  d.CurveTo({50, 50}, {100, 0});  // no line, no fill: nothing
  const ShapeGeometry& g = d.geometry();
  ASSERT_EQ(g.parts.size(), 2u);
  EXPECT_TRUE(g.parts[1].stroke);
  EXPECT_EQ(g.parts[1].contours[0].size(), 3u);  // the stroke stays open
  EXPECT_EQ(g.parts[0].contours[0].back(), (Point{0, 0}));
  d.Clear();
  EXPECT_TRUE(d.geometry().parts.empty());
  // A script drawing without end stops taking points instead of growing without bound.
  d.SetLineStyle(line);
  for (int i = 0; i < 3000000; ++i) d.LineTo({double(i % 7), 0});
  size_t points = 0;
  for (const Contour& c : d.geometry().parts[0].contours) points += c.size();
  EXPECT_LE(points, (1u << 20) + 2);
}

// The drawing methods on a clip made by a script: its size follows what was drawn.
TEST(SwfClipEvents, DrawingMethodsSizeTheClip) {
  MovieWriter m(8, 100, 100, 10);
  ActionWriter a;
  a.CallMethod("_root", "createEmptyMovieClip", {S("d"), I{1}}).Op(kActionPop);
  a.CallMethod("d", "beginFill", {I{0xFF0000}, I{50}}).Op(kActionPop);
  a.CallMethod("d", "moveTo", {I{10}, I{10}}).Op(kActionPop);
  a.CallMethod("d", "lineTo", {I{40}, I{10}}).Op(kActionPop);
  a.CallMethod("d", "lineTo", {I{40}, I{30}}).Op(kActionPop);
  a.CallMethod("d", "endFill", {}).Op(kActionPop);
  a.Push({S("d._width")}).Op(kActionGetVariable).Trace();   // 30
  a.Push({S("d._height")}).Op(kActionGetVariable).Trace();  // 20
  a.CallMethod("d", "clear", {}).Op(kActionPop);
  a.Push({S("d._width")}).Op(kActionGetVariable).Trace();   // 0
  m.Actions(a).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  EXPECT_EQ(Traced(p), (Lines{"30", "20", "0"}));
  const Instance* d = p.root().ChildByName(u"d", true);
  ASSERT_TRUE(d && d->drawing);
}

}  // namespace
}  // namespace zp::swf
