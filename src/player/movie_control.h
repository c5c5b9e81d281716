// The one movie control object: creates the movie control (running the installer once when
// it is missing) or, for a transparent document, the transparent host; keeps the allow-scale
// choice and the full-screen state, and hands out the control that plays, whatever hosts it.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "framework/full_screen_switch.h"
#include "player/shockwave_flash.h"
#include "player/transparent_frame.h"

namespace zp::player {

class CMovieControl {
 public:
  CMovieControl();
  ~CMovieControl();
  CMovieControl(const CMovieControl&) = delete;
  CMovieControl& operator=(const CMovieControl&) = delete;

  bool CreateControl(HWND parent, bool transparent, const RECT& rect);
  bool LoadMovie(const std::wstring& path);
  void UnloadMovie();
  void SetBase(const std::wstring& path);
  // Act on the one instance; nothing while there is none.
  static void SetAllowScale(bool allow);
  static void SetFullScreen(bool on, HWND window);
  // 0x00BBGGRR as the system keeps colours, or -1 for the movie's own.
  void SetBackgroundColour(long colour);
  void SetZoomRect(const RECT& twips);
  // The control the playback verbs go to: the windowed one or the transparent host's twin;
  // null until one is created.
  CFlashMovieCtrl* control() { return created_ ? &Ctrl() : nullptr; }
  bool IsReady() const;
  void ResetReady(int value);
  void MoveControl(const RECT& rect, bool repaint);
  // The control's window, or the transparent host's.
  HWND GetControlWindow() const;
  // Who hears from the transparent host (started, context request, window moved).
  void SetListener(HostListener listener);
  // Which points of the transparent host (its client coordinates) are on drag areas.
  void SetDragRegionTest(std::function<bool(POINT)> test);
  TransparentFrame* transparentHost() { return transparentHost_.get(); }
  void Destroy();
  void FitMovieToWindow(int movieWidth, int movieHeight);
  void SetMovieScale(int xPercent, int yPercent);
  std::pair<int, int> GetMouseInMovie();
  void SetQuality(int mode);

  void SetStaticEdge(bool on) { staticEdge_ = on; }
  CFlashMovieCtrl& flashCtrl() { return flashCtrl_; }

  bool created() const { return created_; }
  bool movieLoaded() const { return movieLoaded_; }
  bool allowScale() const { return allowScale_; }
  long backgroundColour() const { return backgroundColour_; }
  const std::wstring& moviePath() const { return moviePath_; }

  // The installer is offered at most once per run.
  static bool offerInstall;
  // Runs "InstallFlashPlayer.exe" from the program's folder and waits with messages handled.
  void RunFlashInstaller();

 private:
  void ApplyAllowScale(bool allow);
  // The control the operations go to: the windowed one or the transparent host's twin.
  CFlashMovieCtrl& Ctrl();
  void ApplyFullScreen(bool on, HWND window);

  bool transparent_ = false;
  bool movieLoaded_ = false;
  bool created_ = false;
  bool staticEdge_ = true;
  bool allowScale_ = true;
  long backgroundColour_ = -1;
  HWND parentWindow_ = nullptr;
  std::wstring moviePath_;
  CFlashMovieCtrl flashCtrl_;
  std::unique_ptr<TransparentFrame> transparentHost_;
  HostListener listener_;
  std::function<bool(POINT)> dragRegionTest_;
  win::FullScreenSwitch fullScreen_;
  HWND fullScreenWindow_ = nullptr;  // the window that went full screen
};

// The decimal text the control takes for the host quality: high "2", medium "1", low "0", and
// "2" for anything else.
const wchar_t* QualityText(int mode);
// Movies measure in twips, twenty to the pixel.
inline constexpr int kTwipsPerPixel = 20;

}  // namespace zp::player
