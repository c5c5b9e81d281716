// What the tests of whole movies share: building a movie the test writer wrote, and reading
// what it traced.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/swf/swf_file.h"
#include "core/swf/swf_movie.h"
#include "core/swf/swf_player.h"
#include "core/text.h"
#include "swf_writer.h"

namespace zp::swf::movie_test {

// The trace lines since the last call, as UTF-8.
inline std::vector<std::string> Traced(Player& player) {
  std::vector<std::string> out;
  for (const auto& line : player.TakeTraceLines()) out.push_back(U16ToUtf8(line));
  return out;
}

// Null, with a failure noted, when the writer's bytes do not parse.
inline std::shared_ptr<const Movie> Build(const swfgen::MovieWriter& writer) {
  auto file = File::Parse(writer.Finish(false));
  EXPECT_TRUE(file);
  return file ? Movie::Build(std::move(*file)) : nullptr;
}

// A button action that traces `text` on `conditions` (and, for a key press, `key`).
inline swfgen::ButtonActionSpec TraceOn(uint16_t conditions, const std::string& text, uint8_t key = 0) {
  return {conditions, key, swfgen::ActionWriter().Push({text}).Trace()};
}

}  // namespace zp::swf::movie_test
