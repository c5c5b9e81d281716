// Runs the movie reader, the timeline, the action machine and the draw list over arbitrary
// bytes: parse, build, play a few frames with every control operation, the mouse and keys, draw.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "core/swf/swf_file.h"
#include "core/swf/swf_movie.h"
#include "core/swf/swf_player.h"
#include "core/swf/swf_render.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto file = zp::swf::File::Parse(std::span(data, size));
  if (!file) return 0;
  const auto stage = file->header().stage;
  // Every import reads these same bytes again: imports of imports must end all the same.
  const std::vector<uint8_t> self(data, data + size);
  const auto movie =
      zp::swf::Movie::Build(std::move(*file), [&](std::u16string_view) { return std::optional(self); });
  zp::swf::Player player;
  player.SetActionBudget(500);  // endless loops are bounded either way; keep runs fast
  player.Load(movie, 0);
  const auto view = zp::swf::ComputeViewTransform(stage, std::nullopt, zp::swf::ScaleMode::kShowAll, 64, 48);
  for (uint64_t t = 0; t < 12; ++t) {
    player.Advance(t * 100);
    (void)zp::swf::BuildDrawList(player, view, 1, 1);
  }
  player.StepFrames(3);
  // The mouse across the stage, pressed and let go: buttons change looks and run actions.
  for (int i = 0; i < 6; ++i) {
    const double x = stage.xMin + (double(stage.xMax) - stage.xMin) * (i % 3) / 2;
    const double y = stage.yMin + (double(stage.yMax) - stage.yMin) * (i / 3) / 2;
    const zp::swf::Point at{x, y};
    player.MouseMove(at);
    if (i % 2) player.MouseUp(at); else player.MouseDown(at);
    (void)player.OverActiveButton();
  }
  // Keys: each kind a button's key press asks for, Tab round the focus, Enter on it.
  for (const int key : {int(zp::swf::kKeyLeft), int(zp::swf::kKeyTab), int(zp::swf::kKeyEnter), int(zp::swf::kKeySpace), int('A')}) {
    player.KeyDown(key, key == 'A' ? 'a' : 0);
    (void)zp::swf::BuildDrawList(player, view, 1, 1);
    player.KeyUp(key, 0);
  }
  (void)zp::swf::BuildDrawList(player, view, 1, 1);
  // Walk the display tree by names, as scripts address it: a child with a plain name (letters
  // and digits only, so no step like "_parent") is found by the path it reports.
  for (const auto& [depth, child] : player.displayList()) {
    const bool plain = !child.name.empty() && std::all_of(child.name.begin(), child.name.end(), [](char16_t c) {
      return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    });
    if (plain && player.root().FindByPath(child.Path().substr(8), size % 2) == nullptr) std::abort();
  }
  player.Back();
  player.Forward();
  player.GotoFrameAndStop(size % 7);
  player.Rewind();
  player.SetVariable(u"fscmd_ret", zp::swf::Value(u"1"));
  player.Play();
  player.Advance(5000);
  (void)player.TakeFsCommands();
  if (player.currentFrame() >= player.frameCount()) std::abort();
  return 0;
}
