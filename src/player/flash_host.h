// The window in which one entry of the movie sequence is shown: a movie (in the movie
// control), a picture or a web page. Switching kinds destroys the other kinds' windows. The
// main window and the sequence drive everything through this object.
//
// In transparent mode the top-level window takes the shape of the picture on screen
// (ApplyPictureShape, over the region CaptureWindowRegion keeps), and movies play in the
// transparent host.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "core/sequence/movie_sequence.h"
#include "framework/unique_handle.h"
#include "framework/window.h"
#include "fscommand/fs_movie_control.h"
#include "player/html_view.h"
#include "player/movie_control.h"
#include "player/picture_view.h"

namespace zp::player {

class CFlashHost;

// The child window pictures are drawn in; the host paints it.
class CPictureWindow : public win::Window {
 public:
  explicit CPictureWindow(CFlashHost& host) : host_(host) {}

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  CFlashHost& host_;
};

class CFlashHost : public win::Window, public fscommand::FsPlayerHost {
 public:
  enum Kind { kMovie = 0, kPicture = 1, kWeb = 2 };
  static constexpr UINT kPictureWindowId = 23415;
  static constexpr UINT kWebFrameId = 27531;
  // Posted to the host by the picture view's rendering thread when a new view is ready.
  static constexpr UINT kPictureRenderedMessage = WM_APP + 0x51;

  bool CreateHost(HWND topWindow, bool transparent, const RECT& rect);
  bool ShowItem(const std::wstring& path);
  // Switches to the movie control at once, so that a missing control shows before the first
  // movie is due; false when it cannot be created (after the one installer offer).
  bool PrepareMovieControl();
  bool LoadEntry(const SequenceItem& entry);

  void SetAllowScale(bool allow);
  // What the FSCommands "fullscreen" and "allowscale" ask of the player.
  void SetFullScreen(bool on) override { CMovieControl::SetFullScreen(on, topWindow_); }
  void RecordAllowScale(bool on) override { SetAllowScale(on); }
  void SetStretchToWindow(bool on);
  void SetBaseUrl(std::wstring url) { baseUrl_ = std::move(url); }
  // 0x00BBGGRR as the system keeps colours, or -1 for the movie's own (white behind pictures).
  void SetBackgroundColour(long colour);
  void SetQuality(int mode);
  int GetQuality() const { return quality_; }
  // In pixels; the movie control takes twips.
  void SetZoomRect(int left, int top, int right, int bottom);
  void FitMovieToWindow(int width, int height);
  void SetViewPoint(int x, int y) { viewPoint_ = POINT{x, y}; }
  // The point zooming centres on: the mouse in the movie, the recorded point in a picture.
  POINT GetViewPoint();
  bool IsReady() const { return kind_ != kMovie || movie_.IsReady(); }
  void ResetReady(int value);
  bool MovieExists() const;
  bool HasTimeline();
  std::wstring GetItemPath() const { return kind_ == kMovie ? movie_.moviePath() : itemPath_; }
  // The playback verbs: they reach the movie control only while a movie is shown in a created
  // control. Otherwise only the paused state changes; the frame reads 1 and the loop false.
  void Play();
  void StopPlay();
  void Forward();
  void Back();
  void Rewind();
  bool GetLoop();
  void SetLoop(bool loop);
  int GetCurrentFrame();
  bool IsPlaying();

  Kind kind() const { return static_cast<Kind>(kind_); }
  // Whether movies play in the transparent host (false also when it could not be made).
  bool transparent() const { return transparent_; }
  bool paused() const { return paused_; }
  const RECT& viewRect() const { return viewRect_; }
  long backgroundColour() const { return backgroundColour_; }
  CMovieControl& movie() { return movie_; }
  HWND pictureWindow() const { return pictureWindow_.hwnd(); }
  HWND webFrame() const { return web_.hwnd(); }
  CHtmlCtrl& webView() { return web_.view(); }
  const PictureView& pictureView() const { return picture_; }

  // The window shape in transparent mode. CaptureWindowRegion keeps a copy of the top-level
  // window's region (the host's client rectangle when it has none) and returns the region type
  // the system reports (ERROR when there is no top-level window). ApplyPictureShape, run after a
  // picture is shown or zoomed, cuts that region down to the picture on screen; when there is
  // no picture on screen, or nothing of it lies inside the region, the window gets the kept
  // region back. Both do nothing outside transparent mode; ApplyPictureShape returns whether
  // the window got the picture's shape.
  int CaptureWindowRegion();
  bool ApplyPictureShape();
  // Gives the top-level window a copy of the kept region (transparent mode only).
  void RestoreWindowRegion();
  // Paints the picture window: the background colour and the picture over it, off screen first.
  void PaintPicture(HDC dc);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The control the playback verbs go to: null unless a movie is shown in a created control.
  CFlashMovieCtrl* PlayingControl();
  void SwitchToMovie();
  void SwitchToPicture();
  void SwitchToWeb();
  void Layout();
  void LayoutPicture();
  void Paint();
  RECT ClientRect() const;
  COLORREF BackgroundColour() const;

  bool stretchToWindow_ = false;
  bool paused_ = false;
  bool transparent_ = false;
  bool border_ = true;
  win::UniqueRegion windowRegion_;
  HWND topWindow_ = nullptr;
  CPictureWindow pictureWindow_{*this};
  int kind_ = kPicture;
  CMovieControl movie_;
  CWebFrame web_;
  PictureView picture_;
  std::wstring itemPath_;
  std::wstring baseUrl_;
  long backgroundColour_ = -1;
  int quality_ = 0;
  RECT viewRect_{};
  POINT viewPoint_{};
};

// The sequence's clock in the player: now on the system's UTC file-time scale, in 100 ns units.
inline int64_t FileTimeNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return static_cast<int64_t>((static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
}

// The sequence's view of the host. `playerGoesOn` says whether the player still runs: a wait
// for a movie ends as soon as the player has been closed.
class FlashHostSequenceAdapter final : public SequenceHost {
 public:
  FlashHostSequenceAdapter(CFlashHost& host, std::function<bool()> playerGoesOn)
      : host_(host), playerGoesOn_(std::move(playerGoesOn)) {}
  bool HasWindow() const override { return host_.hwnd() != nullptr; }
  void LoadEntry(const SequenceItem& entry) override {
    if (beforeLoad_) beforeLoad_(entry);
    host_.LoadEntry(entry);
  }
  void SetBeforeLoad(std::function<void(const SequenceItem&)> beforeLoad) { beforeLoad_ = std::move(beforeLoad); }
  void StopPlay() override { host_.StopPlay(); }
  int GetCurrentFrame() override { return host_.GetCurrentFrame(); }
  bool IsPlaying() override { return host_.IsPlaying(); }
  bool IsReady() override { return host_.IsReady(); }
  void ResetReady(int value) override { host_.ResetReady(value); }
  bool PumpPendingMessages(int count) override;

 private:
  CFlashHost& host_;
  std::function<bool()> playerGoesOn_;
  std::function<void(const SequenceItem&)> beforeLoad_;
};

}  // namespace zp::player
