#include "core/swf/swf_clip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/swf/swf_player.h"
#include "core/text.h"
#include "swf_movie_test_support.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using movie_test::Traced;

using swfgen::ActionWriter;
using swfgen::MovieWriter;
using swfgen::Placement;
using S = std::string;
using I = int32_t;
using Reg = swfgen::ActionWriter::Register;
using Lines = std::vector<std::string>;

// A root with a three-frame sprite "box" at depth 1, moved to (20, 40) pixels; the root's
// script reads and writes the clip's properties and drives its timeline.
TEST(SwfClip, PropertiesPathsAndTimelineMethods) {
  MovieWriter sprite(8, 100, 100, 10);
  sprite.ShowFrame().Label("two").ShowFrame().ShowFrame();
  MovieWriter m(8, 100, 100, 10);
  m.DefineSprite(2, sprite);
  m.PlaceObject2(Placement(1).Character(2).At(400, 800).Name("box"));
  ActionWriter a;
  a.Push({S("box")}).Op(kActionGetVariable).Trace();                       // _level0.box
  a.Push({S("box")}).Op(kActionGetVariable).Op(kActionTypeOf).Trace();     // movieclip
  a.Push({S("box._x")}).Op(kActionGetVariable).Trace();                    // 20
  a.Push({S("box"), I{1}}).Op(kActionGetProperty).Trace();   // _y via index 1 -> 40
  a.Push({S("box")}).Op(kActionGetVariable).Push({S("_x"), I{55}}).Op(kActionSetMember);
  a.Push({S("box._x")}).Op(kActionGetVariable).Trace();                    // 55
  a.Push({S("box")}).Op(kActionGetVariable).Push({S("_target")}).Op(kActionGetMember).Trace();  // /box
  a.Push({S("box")}).Op(kActionGetVariable).Push({S("_parent")}).Op(kActionGetMember).Trace();  // _level0
  a.CallMethod("box", "gotoAndStop", {S("two")}).Op(kActionPop);
  a.Push({S("box._currentframe")}).Op(kActionGetVariable).Trace();         // 2
  a.Push({S("box")}).Op(kActionGetVariable).Push({S("_totalframes")}).Op(kActionGetMember).Trace();  // 3
  a.CallMethod("box", "getDepth", {}).Trace();                              // -16383
  // Variables on a clip stay with the clip; SetTarget aims timeline actions at it.
  a.Push({S("box.v"), S("mine")}).Op(kActionSetVariable);
  a.Push({S("/box:v")}).Op(kActionGetVariable).Trace();                    // mine
  a.Raw(kActionSetTarget, {'b', 'o', 'x', 0}).Op(kActionPrevFrame).Raw(kActionSetTarget, {0});
  a.Push({S("box._currentframe")}).Op(kActionGetVariable).Trace();         // 1
  a.Push({S("v")}).Op(kActionGetVariable).Trace();                         // undefined
  m.Actions(a).ShowFrame();
  auto file = File::Parse(m.Finish(false));
  ASSERT_TRUE(file);
  Player p;
  p.Load(Movie::Build(std::move(*file)), 0);
  EXPECT_EQ(Traced(p), (Lines{"_level0.box", "movieclip", "20", "40", "55", "/box", "_level0", "2", "3", "-16383",
                              "mine", "1", "undefined"}));
  const Instance* box = p.root().ChildByName(u"box", true);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->matrix.tx, 55 * 20);
  EXPECT_FALSE(box->playing);
}

// for..in over a clip visits its own variables, then its named children from the top depth
// down, a name two share once, an unnamed sprite by the name it was given. What scripts cannot address on its own (a shape, a
// bitmap placed directly) stands for its clip; a video is an object of its own.
TEST(SwfClip, ForInVisitsNamedChildrenAndNonScriptableOnesStandForTheirClip) {
  MovieWriter sprite(8, 100, 100, 10);
  sprite.ShowFrame();
  MovieWriter m(8, 100, 100, 10);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0});
  m.DefineSprite(2, sprite);
  m.DefineBitsLossless(3, false, 5, 1, 1, {255, 10, 20, 30});
  m.Tag(60, {4, 0, 1, 0, 8, 0, 8, 0, 0, 2});  // video 4: one frame of 8 x 8
  m.PlaceObject2(Placement(1).Character(1).Name("shape"));
  m.PlaceObject2(Placement(2).Character(2).Name("twin"));
  m.PlaceObject2(Placement(3).Character(3).Name("image"));
  m.PlaceObject2(Placement(4).Character(4).Name("video"));
  m.PlaceObject2(Placement(5).Character(2).Name("twin"));
  m.PlaceObject2(Placement(6).Character(2));
  ActionWriter a;
  a.Push({S("own"), I{1}}).Op(kActionSetVariable);
  a.Push({S("this")}).Op(kActionEnumerate).Mark("loop").StoreRegister(0).Push({nullptr}).Op(kActionEquals2).If("done");
  a.Push({Reg{0}}).Trace();
  a.Push({S("this")}).Op(kActionGetVariable).Push({Reg{0}}).Op(kActionGetMember).Trace();
  a.Jump("loop").Mark("done");
  a.Push({S("video")}).Op(kActionGetVariable).Op(kActionTypeOf).Trace();
  m.Actions(a).ShowFrame();
  auto file = File::Parse(m.Finish(false));
  ASSERT_TRUE(file);
  Player p;
  p.Load(Movie::Build(std::move(*file)), 0);
  EXPECT_EQ(Traced(p), (Lines{"own", "1", "instance1", "_level0.instance1", "twin", "_level0.twin", "video",
                              "_level0.video", "image", "_level0", "shape", "_level0", "object"}));
}

// createTextField makes an empty field at a depth (replacing what stood there) with its corner
// where it was asked; a depth out of range or no number makes nothing; removeTextField takes
// it away again.
TEST(SwfClip, CreateTextFieldMakesAnEmptyFieldWhereAsked) {
  MovieWriter m(8, 100, 100, 10);
  ActionWriter a;
  a.CallMethod("_root", "createTextField", {S("old"), I{5}, I{0}, I{0}, I{1}, I{1}}).Op(kActionPop);
  a.CallMethod("_root", "createTextField", {S("t"), I{5}, I{30}, I{40}, I{20}, I{10}}).Op(kActionPop);
  a.CallMethod("_root", "createTextField", {S("far"), S("x"), I{0}, I{0}, I{5}, I{5}}).Op(kActionPop);
  for (const char* property : {"t._x", "t._y", "t._width", "t._height", "t.text", "old", "far"}) {
    a.Push({S(property)}).Op(kActionGetVariable).Trace();
  }
  a.Push({S("t")}).Op(kActionGetVariable).Op(kActionTypeOf).Trace();
  a.CallMethod("t", "getDepth", {}).Trace();
  a.CallMethod("_root", "createTextField", {S("gone"), I{6}, I{0}, I{0}, I{5}, I{5}}).Op(kActionPop);
  a.CallMethod("gone", "removeTextField", {}).Op(kActionPop);
  a.Push({S("gone")}).Op(kActionGetVariable).Trace();
  m.Actions(a).ShowFrame();
  auto file = File::Parse(m.Finish(false));
  ASSERT_TRUE(file);
  Player p;
  p.Load(Movie::Build(std::move(*file)), 0);
  EXPECT_EQ(Traced(p), (Lines{"30", "40", "20", "10", "", "undefined", "undefined", "object", "5", "undefined"}));
  const Instance* field = p.root().ChildAt(5 + kScriptDepthOffset);
  ASSERT_TRUE(field && field->textField);
  EXPECT_EQ(field->name, u"t");
  EXPECT_EQ(field->kind, CharacterKind::kEditText);
}

// Color tints the clip it names (by clip or by path): setRGB keeps alpha, setTransform changes
// only the fields its object holds itself, getRGB joins the offsets' shifts (a
// negative one spills over the others); a Color whose clip
// cannot be found gives undefined and changes nothing.
TEST(SwfClip, ColorReadsAndChangesTheClipsTransform) {
  MovieWriter sprite(8, 100, 100, 10);
  sprite.ShowFrame();
  MovieWriter m(8, 100, 100, 10);
  m.DefineSprite(2, sprite);
  m.PlaceObject2(Placement(1).Character(2).Name("box"));
  ActionWriter a;
  a.Push({S("c"), S("box"), I{1}, S("Color")}).Op(kActionNewObject).Op(kActionSetVariable);
  a.Push({S("lost"), S("nothing"), I{1}, S("Color")}).Op(kActionNewObject).Op(kActionSetVariable);
  a.CallMethod("c", "setRGB", {I{0x123456}}).Op(kActionPop);
  a.CallMethod("c", "getRGB", {}).Trace();                                            // 1193046
  // Object.prototype.ab = 99 is not read; { ra: 50, gb: -300 } is.
  a.Push({S("Object")}).Op(kActionGetVariable).Push({S("prototype")}).Op(kActionGetMember).Push({S("ab"), I{99}}).Op(kActionSetMember);
  a.Push({S("ra"), I{50}, S("gb"), I{-300}, I{2}}).Op(kActionInitObject).StoreRegister(1).Op(kActionPop);
  a.Push({Reg{1}, I{1}, S("c")}).Op(kActionGetVariable).Push({S("setTransform")}).Op(kActionCallMethod).Op(kActionPop);
  a.CallMethod("c", "getRGB", {}).Trace();                                            // 0x12 << 16 | -300 << 8 | 0x56
  for (const char* field : {"ra", "rb", "gb", "aa", "ab"}) {
    a.CallMethod("c", "getTransform", {}).Push({S(field)}).Op(kActionGetMember).Trace();
  }
  a.CallMethod("lost", "getRGB", {}).Trace();
  a.CallMethod("lost", "setRGB", {I{0}}).Op(kActionPop);
  m.Actions(a).ShowFrame();
  auto file = File::Parse(m.Finish(false));
  ASSERT_TRUE(file);
  Player p;
  p.Load(Movie::Build(std::move(*file)), 0);
  EXPECT_EQ(Traced(p), (Lines{"1193046", "-76714", "50", "18", "-300", "100", "0", "undefined"}));
  const Instance* box = p.root().ChildByName(u"box", true);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->colorTransform.rMult, 128);
  EXPECT_EQ(box->colorTransform.gMult, 0);
  EXPECT_EQ(box->colorTransform.aMult, 256);
  EXPECT_EQ(box->colorTransform.bAdd, 0x56);
}

// Going back rebuilds the timeline's depths: clips scripts made there (below depth 0) go, those
// at their own depths stay; going forward keeps both.
TEST(SwfClip, GoingBackDropsScriptClipsAtTimelineDepths) {
  MovieWriter m(8, 100, 100, 10);
  ActionWriter a;
  a.CallMethod("_root", "createEmptyMovieClip", {S("low"), I{-100}}).Op(kActionPop);
  a.CallMethod("_root", "createEmptyMovieClip", {S("high"), I{5}}).Op(kActionPop);
  a.Op(kActionStop);
  m.Actions(a).ShowFrame().ShowFrame().ShowFrame();
  auto file = File::Parse(m.Finish(false));
  ASSERT_TRUE(file);
  Player p;
  p.Load(Movie::Build(std::move(*file)), 0);
  p.GotoFrameAndStop(2);
  EXPECT_TRUE(p.root().ChildByName(u"low", true));
  EXPECT_TRUE(p.root().ChildByName(u"high", true));
  p.GotoFrameAndStop(1);
  EXPECT_FALSE(p.root().ChildByName(u"low", true));
  EXPECT_TRUE(p.root().ChildByName(u"high", true));
}

}  // namespace
}  // namespace zp::swf
