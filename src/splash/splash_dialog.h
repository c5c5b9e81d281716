// The splash window: shows the splash picture, starts the disc's player and stays until the
// player says its window is up, the player ends, the user closes it, or the wait runs out.
#pragma once

#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/timer.h"
#include "splash/animated_picture.h"
#include "splash/image_loader.h"
#include "splash/launch_player.h"
#include "splash/preloader_slot.h"

namespace zp::splash {

class SplashDialog : public win::Dialog {
 public:
  static constexpr UINT_PTR kStartTimerId = 3232;
  static constexpr UINT kStartTimerMilliseconds = 100;

  // `folder` holds the splash picture and the autorun file; `slot` is the application's.
  SplashDialog(std::wstring folder, PreloaderSlot& slot, WaitBounds bounds = {});
  ~SplashDialog() override;

 protected:
  BOOL OnInitDialog() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Chooses, loads and shows the picture, sizes and centres the window; true when a picture
  // is on the window.
  bool ShowSplashPicture();
  bool ShowAnimatedPicture(const std::wstring& path);
  bool ShowStillPicture(UniqueBitmap bitmap);
  void FitClientToPicture(int width, int height);
  void CentreOnWorkArea();
  void OnStartTimer();
  void Paint();
  bool PlayerEnded() const;

  std::wstring folder_;
  PreloaderSlot& slot_;
  WaitBounds bounds_;
  win::WindowTimer startTimer_;
  LaunchedPlayer player_;

  AnimatedPicture picture_;
  // A still picture, selected into the memory context the window paints from.
  UniqueBitmap splashBitmap_;
  HDC memoryDc_ = nullptr;
  HGDIOBJ replacedBitmap_ = nullptr;
  bool paintsBitmap_ = false;
};

}  // namespace zp::splash
