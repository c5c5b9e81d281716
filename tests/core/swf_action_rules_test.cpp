// Action rules as movies rely on them: with on primitives, tellTarget's fallbacks, the order
// operands convert in, DefineLocal2 over prototypes, frames that load, gotos that wrap, and
// classes registered for placed symbols.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/swf/swf_player.h"
#include "core/text.h"
#include "swf_writer.h"

namespace zp::swf {
namespace {

using swfgen::ActionWriter;
using swfgen::MovieWriter;
using swfgen::Placement;
using S = std::string;
using I = int32_t;
using Lines = std::vector<std::string>;

Lines Played(const MovieWriter& m, int frames = 0) {
  auto file = File::Parse(m.Finish(false));
  EXPECT_TRUE(file);
  Player p;
  p.Load(Movie::Build(std::move(*file)), 0);
  p.StepFrames(frames);
  Lines out;
  for (const auto& line : p.TakeTraceLines()) out.push_back(U16ToUtf8(line));
  return out;
}

// Each case is one frame script of a root with a sprite "c" (two frames) at depth 1.
TEST(SwfActionRules, OneScriptEach) {
  struct Case {
    const char* name;
    ActionWriter script;
    Lines traced;
  };
  ActionWriter withString;
  withString.Push({S("abc")}).With(ActionWriter().Push({S("length")}).Op(kActionGetVariable).Trace());
  ActionWriter targets;
  targets.Push({S("n"), S("root")}).Op(kActionSetVariable).Push({S("c.n"), S("clip")}).Op(kActionSetVariable);
  for (const char* where : {"c", "nowhere"}) {
    targets.Raw(kActionSetTarget, [&] {
      swfgen::Bytes b(where, where + std::string(where).size());
      b.push_back(0);
      return b;
    }());
    targets.Push({S("n")}).Op(kActionGetVariable).Trace().Raw(kActionSetTarget, {0});
  }
  targets.Push({S("c")}).Op(kActionGetVariable).Op(kActionSetTarget2);
  targets.Push({std::monostate{}}).Op(kActionSetTarget2).Push({S("n")}).Op(kActionGetVariable).Trace();
  ActionWriter order;
  for (const char* name : {"a", "b"}) {
    ActionWriter valueOf;
    valueOf.Push({S(name)}).Trace().Push({I{1}}).Op(kActionReturn);
    order.Push({S(name), S("valueOf")}).DefineFunction("", {}, valueOf).Push({I{1}}).Op(kActionInitObject);
    order.Op(kActionSetVariable);
  }
  order.Push({S("a")}).Op(kActionGetVariable).Push({S("b")}).Op(kActionGetVariable).Op(kActionAdd).Trace();
  ActionWriter local;
  local.Push({S("Object")}).Op(kActionGetVariable).Push({S("prototype")}).Op(kActionGetMember);
  local.Push({S("p"), S("inherited")}).Op(kActionSetMember);
  local.Push({S("p")}).Op(kActionDefineLocal2).Push({S("p")}).Op(kActionGetVariable).Trace();
  ActionWriter frames;
  for (uint16_t f : {uint16_t{5}, uint16_t{16000}, uint16_t{16001}}) {
    frames.Raw(kActionWaitForFrame, {static_cast<uint8_t>(f), static_cast<uint8_t>(f >> 8), 2});
    frames.Push({S(std::to_string(f))}).Trace();
  }
  ActionWriter gotos;
  gotos.GotoFrame(99).Push({S("stays")}).Trace();  // past the end: nothing happens
  for (double frame : {0.0, 4294967298.0, 2147483648.0}) {
    gotos.CallMethod("c", "gotoAndStop", {frame}).Op(kActionPop).Push({S("c._currentframe")}).Op(kActionGetVariable).Trace();
  }
  gotos.CallMethod("c", "gotoAndStop", {S("/c:1")}).Op(kActionPop);
  gotos.Push({S("c._currentframe")}).Op(kActionGetVariable).Trace();
  const Case cases[] = {
      {"with on a string", withString, {"3"}},
      {"tellTarget", targets, {"clip", "root", "root"}},
      {"add converts left first", order, {"a", "b", "2"}},
      {"DefineLocal2 keeps inherited", local, {"inherited"}},
      {"frames that load", frames, {"5", "16000"}},
      {"gotos", gotos, {"stays", "1", "2", "2", "1"}},
  };
  for (const Case& c : cases) {
    MovieWriter sprite(8, 100, 100, 10);
    sprite.Actions(ActionWriter().Stop()).ShowFrame().ShowFrame();
    MovieWriter m(8, 100, 100, 10);
    m.DefineSprite(2, sprite);
    m.PlaceObject2(Placement(1).Character(2).Name("c"));
    m.Actions(ActionWriter(c.script).Stop()).ShowFrame();
    EXPECT_EQ(Played(m), c.traced) << c.name;
  }
}

// A placed symbol whose class was registered in the init actions: constructor, then onLoad.
TEST(SwfActionRules, RegisteredClassConstructsPlacedClips) {
  MovieWriter sprite(8, 100, 100, 10);
  sprite.ShowFrame();
  MovieWriter m(8, 100, 100, 10);
  m.DefineSprite(2, sprite).Export(2, "sym");
  ActionWriter init;
  init.Push({S("K")}).DefineFunction("", {}, ActionWriter().Push({S("made")}).Trace()).Op(kActionSetVariable);
  ActionWriter onLoad;
  onLoad.Push({S("loaded")}).Trace();
  init.Push({S("K")}).Op(kActionGetVariable).Push({S("prototype")}).Op(kActionGetMember);
  init.Push({S("onLoad")}).DefineFunction("", {}, onLoad).Op(kActionSetMember);
  init.Push({S("K")}).Op(kActionGetVariable).Push({S("sym"), I{2}, S("Object")}).Op(kActionGetVariable);
  init.Push({S("registerClass")}).Op(kActionCallMethod).Op(kActionPop);
  m.InitActions(2, init);
  m.PlaceObject2(Placement(1).Character(2).Name("c"));
  m.Actions(ActionWriter().Stop()).ShowFrame();
  EXPECT_EQ(Played(m), (Lines{"made", "loaded"}));
}

}  // namespace
}  // namespace zp::swf
