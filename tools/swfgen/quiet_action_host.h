// A movie for actions run on their own: timeline actions go nowhere and variables are empty.
// Tests, benchmarks and fuzzers that only look at what the actions compute start from it and
// override what they watch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/swf/swf_actions.h"
#include "core/text.h"

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

// The quiet movie that keeps what the actions trace, a UTF-8 line each.
class TracingActionHost : public QuietActionHost {
 public:
  void Trace(std::u16string_view message) override { lines.push_back(U16ToUtf8(message)); }
  std::vector<std::string> lines;
};

}  // namespace zp::swfgen
