// Measures the files of the movie sequence: movies by their header, other files through a
// hidden movie control, pictures by their headers.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/sequence/movie_info.h"
#include "core/sequence/movie_sequence.h"

namespace zp::player {

// A hidden 600 × 400 control, child of `parent`, loads the file, stops, and reports the root
// timeline's width and height (target properties 8 and 9) and its frame count. nullopt when
// the control cannot be created.
std::optional<MeasuredMovie> MeasureThroughControl(HWND parent, const std::u16string& path);

// The sequence's measurer in the player. Pictures are sized from their headers (COM must be
// initialised on the thread).
class PlayerSequenceMeasurer final : public SequenceMeasurer {
 public:
  explicit PlayerSequenceMeasurer(HWND parent = nullptr) : parent_(parent) {}
  // The window the hidden measuring control is made in.
  void SetParent(HWND parent) { parent_ = parent; }
  std::optional<MovieInfo> Movie(const std::u16string& path) override;
  std::optional<std::pair<int, int>> Picture(const std::u16string& path) override;

 private:
  HWND parent_;
};

}  // namespace zp::player
