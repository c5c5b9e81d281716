// The movie control as the player drives it: one automation call per property or method
// (`CShockwaveFlash`), and the player's control that also receives the control's events
// (`CFlashMovieCtrl`: FSCommand goes to the command handler, the complete ready state sets `movieReady`).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "framework/control_site.h"
#include "framework/windowless_site.h"
#include "framework/variant.h"
#include "fscommand/fs_movie_control.h"

namespace zp::player {

class CShockwaveFlash : public fscommand::FsMovieControl {
 public:
  CShockwaveFlash() = default;
  ~CShockwaveFlash() override;
  CShockwaveFlash(const CShockwaveFlash&) = delete;
  CShockwaveFlash& operator=(const CShockwaveFlash&) = delete;

  // Creates the control as a child of `parent` over `rect` (hidden when not `visible`); false
  // when the class is missing or will not activate.
  bool Create(HWND parent, const RECT& rect, UINT id = 0, bool visible = true);
  // Creates the windowless twin of the control in `container` instead; every operation then
  // goes to the twin's own method of the same meaning (operations it has none for do nothing).
  // False also when the twin comes up with a window of its own.
  bool CreateWindowless(win::WindowlessContainer& container, const RECT& rect);
  bool windowless() const { return windowless_; }
  // Where the control sits in its container (container client coordinates).
  void SetPosition(const RECT& rect) {
    if (site_) site_->SetPosition(rect);
  }
  void Destroy();
  HWND GetSafeHwnd() const { return site_ ? site_->controlWindow() : nullptr; }
  // The control's automation object, or null before creation.
  IDispatch* dispatch() const { return site_ ? site_->dispatch() : nullptr; }

  // Failed calls read as 0, false or "" (the control is outside the program).
  long TotalFrames();
  void ScaleMode(long mode);
  void BackgroundColor(long colour);
  bool GetLoop();
  void PutLoop(bool loop);
  std::wstring GetMovie();
  void PutMovie(const std::wstring& path);
  void SetZoomRect(long left, long top, long right, long bottom);
  void Play();
  void Back();
  void Forward();
  void Rewind();
  void StopPlay();
  long CurrentFrame();
  bool IsPlaying();
  long FlashVersion();
  void Base(const std::wstring& path);
  void BGColor(const std::wstring& colour);
  void SetVariable(const std::wstring& name, const std::wstring& value) override;
  void SetScaleMode(int mode) override { ScaleMode(mode); }
  void TSetProperty(const std::wstring& target, long property, const std::wstring& value);
  std::wstring TGetProperty(const std::wstring& target, long property);

 protected:
  // The control's events by DISPID; true when handled.
  virtual bool OnEvent(DISPID, DISPPARAMS&) { return false; }

 private:
  long CallLong(DISPID id);
  void CallVoid(DISPID id);
  // A property read or write, or a method call, of the windowed control; the twin gets the
  // method that stands for it.
  HRESULT Read(DISPID id, win::Variant* out);
  HRESULT Write(DISPID id, const win::Variant& value);
  HRESULT Call(DISPID id, std::initializer_list<const win::Variant*> arguments, win::Variant* out = nullptr);
  bool Connect(win::ComPtr<win::ControlSite> site);
  win::ComPtr<win::ControlSite> site_;
  bool windowless_ = false;
};

class CFlashMovieCtrl : public CShockwaveFlash {
 public:
  // Receives FSCommand (command, arguments) instead of the process's command manager; for tests.
  std::function<bool(const std::wstring& command, const std::wstring& arguments)> onFsCommand;
  bool movieReady = false;

 protected:
  bool OnEvent(DISPID id, DISPPARAMS& params) override;
  bool OnFSCommand(const std::wstring& command, const std::wstring& arguments);
  bool OnReadyStateChange(long state);
};

}  // namespace zp::player
