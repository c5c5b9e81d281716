#include "scripted_movie.h"

namespace zp::e2e {

using swfgen::ActionWriter;

namespace {

constexpr uint8_t kGetVariable = 0x1C;
constexpr uint8_t kStringAdd = 0x21;
constexpr uint8_t kStringEquals = 0x13;
constexpr uint8_t kNot = 0x12;
constexpr uint8_t kFileVersion = 6;  // undefined variables read as "" in movies of this version

void PushPiece(ActionWriter& actions, const TextPiece& piece) {
  actions.Push({piece.text});
  if (piece.variable) actions.Op(kGetVariable);
}

}  // namespace

ActionWriter& SendCommand(ActionWriter& actions, std::string_view command, std::initializer_list<TextPiece> pieces) {
  actions.Push({"FSCommand:" + std::string(command)});
  bool first = true;
  for (const TextPiece& piece : pieces) {
    PushPiece(actions, piece);
    if (!first) actions.Op(kStringAdd);
    first = false;
  }
  if (first) actions.Push({std::string()});
  return actions.GetUrl2(0);
}

ActionWriter& JumpUnlessEqual(ActionWriter& actions, std::string_view name, std::string_view value,
                              const std::string& label) {
  actions.Push({std::string(name)}).Op(kGetVariable).Push({std::string(value)}).Op(kStringEquals).Op(kNot);
  return actions.If(label);
}

ScriptedMovie::ScriptedMovie(double frameRate, int stageWidth, int stageHeight)
    : writer_(kFileVersion, stageWidth, stageHeight, frameRate) {
  const auto colour = [](COLORREF c) {
    return swfgen::Color{GetRValue(c), GetGValue(c), GetBValue(c)};
  };
  writer_.Background(colour(kBackgroundColour));
  writer_.DefineRect(1, {0, 0, stageWidth / 2 * 20, stageHeight / 2 * 20}, colour(kBoxColour));
  writer_.Place(1, 1, stageWidth / 4 * 20, stageHeight / 4 * 20);
}

uint16_t ScriptedMovie::AddFrame(const ActionWriter* actions) {
  if (actions) writer_.Actions(*actions);
  writer_.ShowFrame();
  return frames_++;
}

ScriptedMovie& ScriptedMovie::Command(std::string_view command, std::string_view arguments) {
  ActionWriter actions;
  actions.FsCommand(command, arguments);
  AddFrame(&actions);
  return *this;
}

ScriptedMovie& ScriptedMovie::Frame(const ActionWriter& actions) {
  AddFrame(&actions);
  return *this;
}

void ScriptedMovie::RepeatFrom(uint16_t index, ActionWriter condition) {
  // A goto inside a frame's actions runs the target frame's actions at once; playing goes on
  // from there, so the check comes round again on the next frame.
  condition.If("done").GotoFrame(index).Mark("done");
  AddFrame(&condition);
}

ScriptedMovie& ScriptedMovie::WaitForFile(std::string_view path) {
  ActionWriter ask;
  ask.SetVariable("fscmd_ret", std::string()).FsCommand("FileExists", path);
  const uint16_t question = AddFrame(&ask);
  ActionWriter answered;
  answered.Push({std::string("fscmd_ret")}).Op(kGetVariable).Push({std::string("1")}).Op(kStringEquals);
  RepeatFrom(question, answered);
  return *this;
}

ScriptedMovie& ScriptedMovie::WaitForVariable(std::string_view name) {
  const uint16_t idle = AddFrame(nullptr);
  ActionWriter set;
  set.Push({std::string(name)}).Op(kGetVariable).Push({std::string()}).Op(kStringEquals).Op(kNot);
  RepeatFrom(idle, set);
  return *this;
}

swfgen::Bytes ScriptedMovie::Finish() {
  ActionWriter stop;
  stop.Stop();
  AddFrame(&stop);
  return writer_.Finish(false);
}

}  // namespace zp::e2e
