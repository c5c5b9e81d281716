// The child window that fills the player's client area and shows the presentation.
//
// For now it only paints its background colour: the movie control, pictures and web pages
// arrive with the movie-hosting work, and the operations below that belong to them do nothing
// yet (each says so). The player window already drives it through them.
#pragma once

#include <windows.h>

#include "framework/window.h"

namespace zp::player {

class PlayerHost : public win::Window {
 public:
  ~PlayerHost() override;

  // The host window over the given client rectangle of the parent; false when it cannot be made.
  bool CreateHost(HWND parent, bool transparent, const RECT& clientRect);

  void SetBackgroundColour(COLORREF colour);
  COLORREF backgroundColour() const { return background_; }

  // Not yet: movie playback. No movie is ever loaded, so these report nothing playing.
  void SetScaleToWindow(bool scale) { scaleToWindow_ = scale; }
  bool scaleToWindow() const { return scaleToWindow_; }
  bool HasMovieLoaded() const { return false; }
  bool IsPlaying() const { return false; }
  bool GetLoop() const { return false; }
  void SetLoop(bool) {}
  void SetQuality(int quality) { quality_ = quality; }
  int quality() const { return quality_; }
  bool IsOnFirstFrame() const { return true; }
  void SetZoomRect(const RECT&) {}

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  COLORREF background_ = RGB(255, 255, 255);
  bool scaleToWindow_ = true;
  int quality_ = 3;
};

}  // namespace zp::player
