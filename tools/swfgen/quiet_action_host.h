// A movie for actions run on their own: timeline actions go nowhere and variables are empty.
// Tests, benchmarks and fuzzers that only look at what the actions compute start from it and
// override what they watch.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/swf/swf_actions.h"

namespace zp::swfgen {

class QuietActionHost : public swf::ActionHost {
 public:
  void Play() override {}
  void Stop() override {}
  void NextFrame() override {}
  void PrevFrame() override {}
  void GotoFrame(uint32_t) override {}
  void GotoLabel(std::u16string_view) override {}
  void GetUrl(std::u16string_view, std::u16string_view) override {}
  swf::Value GetVariable(std::u16string_view) override { return {}; }
  void SetVariable(std::u16string_view, swf::Value) override {}
};

}  // namespace zp::swfgen
