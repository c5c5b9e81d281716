// What the FSCommand dispatcher needs of the control playing the movie and of the player's main
// window. The windowed and the transparent movie hosts implement FsMovieControl; the player's
// Flash host implements FsPlayerHost. Tests use fakes.
#pragma once

#include <windows.h>

#include <string>

namespace zp::fscommand {

class FsMovieControl {
 public:
  virtual ~FsMovieControl() = default;
  // Sets a movie variable (name first, value second).
  virtual void SetVariable(const std::wstring& name, const std::wstring& value) = 0;
  // 0 shows the whole movie scaled to the window, 3 plays it unscaled.
  virtual void SetScaleMode(int mode) = 0;
};

class FsPlayerHost {
 public:
  virtual ~FsPlayerHost() = default;
  // Full screen on or off (windowed mode); a repeated request does nothing.
  virtual void SetFullScreen(bool on) = 0;
  // Records the allow-scale choice, which applies the same scale mode to the control it holds.
  virtual void RecordAllowScale(bool on) = 0;
};

}  // namespace zp::fscommand
