// Movies that act out a scenario frame by frame: send FSCommands, wait for a signal from the
// test, wait for a variable the player sets, and stop on their last frame. The waits poll from
// frame to frame, so a movie never depends on how fast the machine runs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "swf_writer.h"

namespace zp::e2e {

// A piece of a text the movie builds at run time: fixed text or the value of a root variable.
struct TextPiece {
  std::string text;
  bool variable = false;
};
inline TextPiece Text(std::string text) { return {std::move(text), false}; }
inline TextPiece ValueOf(std::string name) { return {std::move(name), true}; }

// Appends actions that send `command` with an argument text joined from `pieces`.
swfgen::ActionWriter& SendCommand(swfgen::ActionWriter& actions, std::string_view command,
                                  std::initializer_list<TextPiece> pieces);

// Appends actions that go on at `label` unless the root variable `name` holds `value`.
swfgen::ActionWriter& JumpUnlessEqual(swfgen::ActionWriter& actions, std::string_view name, std::string_view value,
                                      const std::string& label);

// A movie of a stage (320 x 240 unless given) in one colour with a box of another over its
// middle half.
class ScriptedMovie {
 public:
  static constexpr COLORREF kBackgroundColour = RGB(40, 90, 160);
  static constexpr COLORREF kBoxColour = RGB(240, 200, 40);

  explicit ScriptedMovie(double frameRate = 20, int stageWidth = 320, int stageHeight = 240);

  // A frame that sends one FSCommand with a fixed argument text.
  ScriptedMovie& Command(std::string_view command, std::string_view arguments);
  // A frame that runs the given actions.
  ScriptedMovie& Frame(const swfgen::ActionWriter& actions);
  // Frames that ask the extension library whether `path` exists until it does: the test's
  // signal to go on. The answer arrives in "fscmd_ret", which is cleared before each question.
  ScriptedMovie& WaitForFile(std::string_view path);
  // Frames that wait until the root variable `name` is no longer empty.
  ScriptedMovie& WaitForVariable(std::string_view name);
  // The movie, stopping on its last frame (the control would start it again otherwise).
  swfgen::Bytes Finish();

  uint16_t frameCount() const { return frames_; }

 private:
  // Adds a frame (with actions, when given) and gives its index.
  uint16_t AddFrame(const swfgen::ActionWriter* actions);
  // A frame that goes back to frame `index` until the value on top of the stack left by
  // `condition` is true.
  void RepeatFrom(uint16_t index, swfgen::ActionWriter condition);

  swfgen::MovieWriter writer_;
  uint16_t frames_ = 0;
};

}  // namespace zp::e2e
