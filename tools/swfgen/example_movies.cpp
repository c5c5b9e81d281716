#include "example_movies.h"

namespace zp::swfgen {
namespace {

constexpr int kWidth = 550, kHeight = 400, kFrames = 36;
constexpr int32_t kTwips = 20;

}  // namespace

Bytes MakeIntroMovie() {
  MovieWriter m(6, kWidth, kHeight, 12);
  m.Background({0x20, 0x30, 0x60});
  m.DefineRect(1, {0, 0, 120 * kTwips, 120 * kTwips}, {0xE0, 0x40, 0x30}, Color{0xFF, 0xFF, 0xFF}, 60);
  m.DefineEllipse(2, {0, 0, 100 * kTwips, 100 * kTwips}, {0x40, 0xC0, 0x60});
  m.DefineRect(3, {0, 0, kWidth * kTwips, 40 * kTwips}, {0xF0, 0xD0, 0x40, 0xC0});
  m.Place(1, 3, 0, (kHeight - 40) * kTwips);
  m.Place(2, 1, 0, 100 * kTwips);
  m.PlaceWithAlpha(3, 2, 400 * kTwips, 40 * kTwips, 200);
  for (int f = 0; f < kFrames; ++f) {
    if (f > 0) {
      m.Move(2, (f * 12) * kTwips, (100 + (f % 12) * 5) * kTwips);
      m.Move(3, (400 - f * 10) * kTwips, (40 + f * 6) * kTwips);
    }
    m.ShowFrame();
  }
  return m.Finish(false);
}

Bytes MakeMainMovie() {
  MovieWriter m(6, kWidth, kHeight, 12);
  m.Background({0xF0, 0xF0, 0xE8});
  m.DefineRect(1, {0, 0, 80 * kTwips, 80 * kTwips}, {0x30, 0x60, 0xD0});
  m.DefineRect(2, {0, 0, 80 * kTwips, 80 * kTwips}, {0xD0, 0x30, 0x90});
  m.DefineEllipse(3, {0, 0, 160 * kTwips, 160 * kTwips}, {0xF0, 0x90, 0x20, 0xA0});
  m.Place(1, 3, 195 * kTwips, 120 * kTwips);
  m.Label("start");
  m.Actions(ActionWriter().FsCommand("trace", "main movie started"));
  for (int f = 0; f < kFrames; ++f) {
    const uint16_t square = (f / 6) % 2 == 0 ? 1 : 2;
    if (f % 6 == 0) {
      if (f > 0) m.Remove(2);
      m.Place(2, square, (40 + f * 12) * kTwips, 40 * kTwips);
    } else {
      m.Move(2, (40 + f * 12) * kTwips, (40 + (f % 6) * 30) * kTwips);
    }
    if (f == kFrames - 1) m.Actions(ActionWriter().FsCommand("trace", "main movie looped"));
    m.ShowFrame();
  }
  return m.Finish(true);
}

}  // namespace zp::swfgen
