// Sprites with timelines of their own, placements fully read, masks, init actions, exports and
// imports: movies written by the movie writer, played by the player, drawn into a draw list.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/swf/swf_player.h"
#include "core/swf/swf_render.h"
#include "core/text.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using swfgen::ActionWriter;
using swfgen::MovieWriter;
using swfgen::Placement;

std::shared_ptr<const Movie> Build(const MovieWriter& m, const ImportLoader& loader = {}) {
  auto file = File::Parse(m.Finish(false));
  EXPECT_TRUE(file);
  return Movie::Build(std::move(*file), loader);
}

ActionWriter TraceText(const std::string& text) { return ActionWriter().Push({text}).Op(kActionTrace); }

// A sprite (id 10) of three frames that moves its red square (id 1) 20 pixels a frame.
MovieWriter Walker() {
  MovieWriter sprite(6, 1, 1, 1);
  sprite.Place(1, 1, 0, 0).ShowFrame();
  sprite.Move(1, 400, 0).ShowFrame();
  sprite.Move(1, 800, 0).ShowFrame();
  return sprite;
}

// The left edge of each shape drawn.
std::vector<double> LeftOfShapes(const std::vector<DrawItem>& items) {
  std::vector<double> xs;
  for (const DrawItem& item : items) {
    if (item.kind != DrawKind::kShape) continue;
    double left = 1e9;
    for (const Contour& c : item.contours) {
      for (const Point& point : c) left = std::min(left, point.x);
    }
    xs.push_back(left);
  }
  return xs;
}

// A clip area as a shape, to measure it.
DrawItem Item(DrawItem item) {
  item.kind = DrawKind::kShape;
  return item;
}

const ViewTransform kPixels;  // 1/20: twips to pixels, no offset

TEST(SwfDisplayTree, SpritesPlayTheirOwnTimelinesWhileTheRootStands) {
  MovieWriter m(6, 200, 100, 10);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0});
  m.DefineSprite(10, Walker());
  m.PlaceObject2(Placement(1).Character(10).At(2000, 0).Name("walker"));
  m.Actions(ActionWriter().Stop()).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  Instance* walker = p.root().ChildByName(u"walker", true);
  ASSERT_NE(walker, nullptr);
  EXPECT_EQ(walker->currentFrame, 0u);  // shown on the frame that places it
  EXPECT_EQ(LeftOfShapes(BuildDrawList(p, kPixels)), std::vector<double>{100});
  EXPECT_FALSE(p.playing());
  EXPECT_TRUE(p.NeedsFrames());
  EXPECT_EQ(p.StepFrames(4), 4);  // 1, 2, 0, 1
  EXPECT_EQ(walker->currentFrame, 1u);
  EXPECT_EQ(p.FindBySerial(walker->serial), walker);  // the same instance all along
  // The child's matrix applies within the sprite's.
  EXPECT_EQ(LeftOfShapes(BuildDrawList(p, kPixels)), std::vector<double>{120});
  EXPECT_EQ(walker->Path(), u"_level0.walker");
  EXPECT_EQ(p.root().FindByPath(u"/walker", true), walker);
  EXPECT_EQ(walker->FindByPath(u"_parent.walker", true), walker);
  EXPECT_EQ(walker->FindByPath(u"../walker", true), walker);
  EXPECT_EQ(p.root().FindByPath(u"WALKER", true), nullptr);
  EXPECT_EQ(p.root().FindByPath(u"WALKER", false), walker);
  walker->playing = false;
  EXPECT_FALSE(p.NeedsFrames());
  EXPECT_EQ(p.StepFrames(3), 0);
}

TEST(SwfDisplayTree, GotoKeepsObjectsThatStayAndRestartsThoseReplaced) {
  MovieWriter m(6, 100, 100, 10);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0});
  m.DefineRect(2, {0, 0, 200, 200}, {0, 0, 255});
  m.DefineSprite(10, Walker());
  m.Place(1, 1).Place(2, 10).ShowFrame();                                    // frame 0
  m.Move(1, 100, 0).ShowFrame();                                             // frame 1
  m.PlaceObject2(Placement(1).Moving().Character(2)).Remove(2).ShowFrame();         // frame 2
  m.Place(2, 10).ShowFrame();                                                // frame 3
  Player p;
  p.Load(Build(m), 0);
  const uint32_t square = p.displayList().at(1).serial, sprite = p.displayList().at(2).serial;
  p.StepFrames(1);
  EXPECT_EQ(p.displayList().at(1).serial, square);
  EXPECT_EQ(p.displayList().at(1).matrix.tx, 100);
  EXPECT_EQ(p.displayList().at(2).serial, sprite);
  EXPECT_EQ(p.displayList().at(2).currentFrame, 1u);
  p.StepFrames(1);  // frame 2: the square's place takes another character, the sprite goes
  EXPECT_NE(p.displayList().at(1).serial, square);
  EXPECT_EQ(p.displayList().at(1).character, 2);
  EXPECT_EQ(p.displayList().at(1).matrix.tx, 100);  // the looks stay with the place
  EXPECT_EQ(p.FindBySerial(sprite), nullptr);
  p.StepFrames(1);  // frame 3: a new sprite starts from its first frame
  EXPECT_EQ(p.displayList().at(2).currentFrame, 0u);
  p.GotoFrameAndStop(0);  // back: what frame 0 placed is made again
  EXPECT_EQ(p.displayList().at(1).character, 1);
  EXPECT_EQ(p.displayList().at(1).matrix.tx, 0);
  const uint32_t again = p.displayList().at(1).serial;
  p.GotoFrameAndStop(1);
  EXPECT_EQ(p.displayList().at(1).serial, again);
  p.GotoFrameAndStop(3);  // forward over frames at once
  EXPECT_EQ(p.displayList().at(1).character, 2);
  EXPECT_EQ(p.displayList().size(), 2u);
}

TEST(SwfDisplayTree, PlaceObject3ReadsAsPlaceObject2AndSkipsWhatItDoesNotUse) {
  // Two filters of every length rule: a fixed one and one counting its colours.
  const swfgen::Bytes filters{2, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0,  // blur
                              4, 2, /* colours */ 1, 2, 3, 4, 5, 6, 7, 8, /* ratios */ 0, 255,
                              /* blur, angle, distance, strength, flags */ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                              0, 0, 0, 0, 0};
  const swfgen::Bytes handlers{0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  MovieWriter m(8, 100, 100, 10);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0});
  m.PlaceObject3(Placement(3).Character(1).At(20, 40).Alpha(128).Ratio(77).Name("box").ClipDepth(9)
                     .ClipActions(handlers).ClassName("Box").Filters(filters).BlendMode(3).CacheAsBitmap(1)
                     .Visible(false));
  m.PlaceObject3(Placement(4).Character(1).Filters({1, 99, 0}).Visible(false));  // an unknown filter
  m.ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  ASSERT_EQ(p.displayList().size(), 2u);
  const Instance& box = p.displayList().at(3);
  EXPECT_EQ(box.name, u"box");
  EXPECT_EQ(box.matrix.tx, 20);
  EXPECT_EQ(box.matrix.ty, 40);
  EXPECT_EQ(box.colorTransform.aMult, 128);
  EXPECT_EQ(box.ratio, 77);
  EXPECT_EQ(box.clipDepth, 9);
  EXPECT_FALSE(box.visible);
  EXPECT_EQ(std::vector<uint8_t>(box.clipActions.begin(), box.clipActions.end()), handlers);
  EXPECT_TRUE(p.displayList().at(4).visible);  // after damage only the decoration is lost

  // Cut anywhere, a placement is read or refused, never read past its end.
  const auto whole = m.Finish(false);
  for (uint8_t version : {5, 6}) {
    const swfgen::Bytes body(filters.begin(), filters.end());
    for (size_t n = 0; n <= body.size(); ++n) {
      (void)ReadPlaceObject3(std::span(body.data(), n), version);
      (void)ReadPlaceObject2(std::span(body.data(), n), version);
    }
  }
  EXPECT_FALSE(ReadPlaceObject2({}, 6));
  EXPECT_FALSE(ReadRemoveObject(kTagRemoveObject, std::vector<uint8_t>{1, 0, 2}));
}

TEST(SwfDisplayTree, MasksClipTheDepthsUpToTheirClipDepthAndTransformsCompose) {
  MovieWriter inner(6, 1, 1, 1);
  inner.PlaceObject2(Placement(1).Character(1).Alpha(128)).ShowFrame();
  MovieWriter m(6, 100, 100, 10);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0});
  m.DefineSprite(10, inner);
  m.PlaceObject2(Placement(1).Character(1).ClipDepth(3));  // masks 2 and 3
  m.Place(2, 1).PlaceObject2(Placement(3).Character(10).Alpha(128));
  m.Place(4, 1);
  m.PlaceObject2(Placement(5).Character(1).ClipDepth(9));  // masks 6 and a mask that would end later
  m.PlaceObject2(Placement(6).Character(1).ClipDepth(20));
  m.Place(7, 1).PlaceObject3(Placement(8).Character(1).Visible(false)).Place(30, 1).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  std::vector<DrawKind> kinds;
  std::vector<uint8_t> alphas;
  for (const DrawItem& item : BuildDrawList(p, kPixels)) {
    kinds.push_back(item.kind);
    if (item.kind == DrawKind::kShape) alphas.push_back(item.color.a);
  }
  using enum DrawKind;
  EXPECT_EQ(kinds, (std::vector<DrawKind>{kClipBegin, kClipArea, kShape, kShape, kClipEnd, kShape, kClipBegin, kClipArea,
                                          kClipBegin, kClipArea, kShape, kClipEnd, kClipEnd, kShape}));
  EXPECT_EQ(alphas, (std::vector<uint8_t>{255, 63, 255, 255, 255}));  // 1/2 of 1/2 inside the sprite

  // A mask set by a script: the masked object is drawn within the mask's area on the stage,
  // which is found through the mask's parents; the mask is not drawn.
  Instance& masked = p.root().children.at(30);
  Instance& sprite = p.root().children.at(3);
  masked.scriptMask = sprite.children.at(1).serial;
  sprite.matrix.tx = 2000;
  const std::vector<DrawItem> items = BuildDrawList(p, kPixels);
  kinds.clear();
  for (const DrawItem& item : items) kinds.push_back(item.kind);
  ASSERT_GE(kinds.size(), 4u);
  EXPECT_EQ(std::vector<DrawKind>(kinds.end() - 4, kinds.end()),
            (std::vector<DrawKind>{kClipBegin, kClipArea, kShape, kClipEnd}));
  EXPECT_EQ(std::count(kinds.begin(), kinds.end(), kShape), 4);  // 2, 4, 7 and 30: not the mask
  const DrawItem& area = items[items.size() - 3];
  EXPECT_EQ(LeftOfShapes({Item(area)}), std::vector<double>{100});  // where the sprite moved it
}

TEST(SwfDisplayTree, ScriptsMakeAndRemoveInstancesTheTimelineLeavesAlone) {
  MovieWriter m(6, 100, 100, 10);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0});
  m.DefineSprite(10, Walker());
  m.PlaceObject3(Placement(1).Character(10).At(1000, 0).OpaqueBackground({0, 255, 0}));
  m.ShowFrame().ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  // The opaque background fills the sprite's bounds, behind its square.
  const auto items = BuildDrawList(p, kPixels);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].color, (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(LeftOfShapes(items), (std::vector<double>{50, 50}));

  Instance* made = p.CreateInstance(p.root(), kScriptDepthOffset + 5, 10, u"made");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->currentFrame, 0u);
  EXPECT_EQ(p.root().FindByPath(u"made", true), made);
  EXPECT_EQ(p.CreateInstance(p.root(), 7, 99, u"unknown"), nullptr);
  EXPECT_EQ(p.CreateInstance(p.root(), 1, 1, u"over")->name, u"over");  // replaces the timeline's
  p.GotoFrameAndStop(1);
  p.GotoFrameAndStop(0);  // the timeline takes its depth back and leaves the script's alone
  EXPECT_EQ(p.displayList().at(1).character, 10);
  EXPECT_EQ(p.root().ChildByName(u"made", true), made);
  const uint32_t serial = made->serial;
  p.RemoveInstance(*made);
  EXPECT_EQ(p.FindBySerial(serial), nullptr);
  EXPECT_EQ(p.root().ChildByName(u"made", true), nullptr);
}

TEST(SwfDisplayTree, InitActionsRunOnceBeforeTheFrameAndChildrenAfterTheirParent) {
  MovieWriter inner(6, 1, 1, 1);
  inner.Actions(TraceText("sprite")).ShowFrame();
  inner.ShowFrame();
  MovieWriter m(6, 100, 100, 10);
  m.DefineSprite(10, inner);
  m.Export(10, "Sprite");
  m.Place(1, 10).Actions(TraceText("root")).InitActions(10, TraceText("init")).ShowFrame();
  m.ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  EXPECT_EQ(p.TakeTraceLines(), (std::vector<std::u16string>{u"init", u"root", u"sprite"}));
  // root 1, 0, 1; the sprite goes round too, with its first frame once. Later frames run the
  // newer clip before the root.
  p.StepFrames(3);
  EXPECT_EQ(p.TakeTraceLines(), (std::vector<std::u16string>{u"sprite", u"root"}));
  const auto movie = p.movie();
  EXPECT_EQ(movie->FindExport(u"Sprite"), 10);
  EXPECT_EQ(movie->FindExport(u"sprite"), 10);
  EXPECT_FALSE(movie->FindExport(u"other"));
}

TEST(SwfDisplayTree, ImportsComeFromTheMoviesTheLoaderFindsAndOthersAreSkipped) {
  // The library: a sprite holding its own shape 1, exported as "Lib".
  MovieWriter lib(6, 100, 100, 10);
  lib.DefineRect(1, {0, 0, 200, 200}, {0, 255, 0});
  MovieWriter holder(6, 1, 1, 1);
  holder.Place(1, 1, 100, 0).ShowFrame();
  lib.DefineSprite(2, holder).Export(2, "Lib").Import("self.swf", 3, "Lib").ShowFrame();
  const auto libBytes = lib.Finish(false);

  MovieWriter m(6, 100, 100, 10);
  m.DefineRect(1, {0, 0, 200, 200}, {255, 0, 0});  // a different shape 1 here
  m.Import("lib.swf", 7, "Lib").Import("missing.swf", 8, "Lib", true).Import("lib.swf", 9, "Nothing", true);
  m.Place(1, 7).Place(2, 8).Place(3, 9).ShowFrame();
  std::vector<std::u16string> asked;
  const ImportLoader loader = [&](std::u16string_view url) -> std::optional<std::vector<uint8_t>> {
    asked.emplace_back(url);
    if (url == u"missing.swf") return std::nullopt;
    return libBytes;  // "self.swf" too: the library imports from itself, which must end
  };
  Player p;
  p.Load(Build(m, loader), 0);
  ASSERT_EQ(p.displayList().size(), 1u);
  const Instance& imported = p.displayList().at(1);
  EXPECT_EQ(imported.kind, CharacterKind::kSprite);
  EXPECT_EQ(imported.placedCharacter, 7);
  EXPECT_EQ(imported.character, 2);
  const auto items = BuildDrawList(p, kPixels);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].color, (Rgba{0, 255, 0, 255}));  // the library's shape 1, not ours
  EXPECT_LE(asked.size(), 12u);
  EXPECT_FALSE(Build(m)->FindCharacter(7));  // without a loader nothing is imported
}

TEST(SwfDisplayTree, DeepNestingAndHugeCountsAreCutOff) {
  // A sprite that places itself: endless nesting.
  MovieWriter self(6, 1, 1, 1);
  self.Place(1, 10).ShowFrame();
  MovieWriter m(6, 100, 100, 10);
  m.DefineSprite(10, self);
  m.Place(1, 10).ShowFrame();
  Player p;
  p.Load(Build(m), 0);
  int levels = 0;
  for (const Instance* at = &p.root(); !at->children.empty(); at = &at->children.begin()->second) ++levels;
  EXPECT_EQ(levels, Player::kMaxNesting - 1);

  // 300 sprites of 300 squares each.
  MovieWriter many(6, 1, 1, 1);
  for (uint16_t d = 1; d <= 300; ++d) many.Place(d, 1);
  many.ShowFrame();
  MovieWriter big(6, 100, 100, 10);
  big.DefineRect(1, {0, 0, 20, 20}, {255, 0, 0});
  big.DefineSprite(10, many);
  for (uint16_t d = 1; d <= 300; ++d) big.Place(d, 10);
  big.ShowFrame().ShowFrame();
  Player q;
  q.Load(Build(big), 0);
  q.StepFrames(2);
  EXPECT_LE(BuildDrawList(q, kPixels).size(), Player::kMaxInstances);
}

}  // namespace
}  // namespace zp::swf
