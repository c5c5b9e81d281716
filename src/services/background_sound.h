// The presentation's background sound: one sound file played by the system's multimedia
// window (MCIWnd) inside a hidden pop-up window, which hears the MCI window's position
// notifications and starts the sound again from its beginning when it loops.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/window.h"

namespace zp::services {

// Makes the MCI window that plays `path` as a child of `parent`; null when none could be
// made. The player uses the system's; tests put a window of their own in its place.
using MciWindowFactory = std::function<HWND(HWND parent, const std::wstring& path)>;
MciWindowFactory SystemMciWindows();

class BackgroundSoundPlayer : public win::Window {
 public:
  explicit BackgroundSoundPlayer(MciWindowFactory factory = SystemMciWindows());
  ~BackgroundSoundPlayer() override;

  // The hidden pop-up (10 x 10 at the screen's origin, no owner); whether it exists.
  bool Create();
  // Plays the file from its start. True only when its device really opened: then it replaces
  // the sound before and `path` becomes this file. A missing file, a window that opens no
  // device or a player without its hidden window leave the previous sound playing untouched.
  bool Open(const std::wstring& path);
  void SetLoop(bool loop) { loop_ = loop; }
  // Both do nothing while no sound is open. Resume plays on from where the sound stands.
  void Pause();
  LRESULT Resume();

  HWND mciWindow() const { return mciWindow_; }
  const std::wstring& path() const { return path_; }
  long length() const { return length_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnPosition(HWND from, long position);
  void CloseMciWindow();

  MciWindowFactory factory_;
  bool loop_ = false;
  long length_ = 0;
  HWND mciWindow_ = nullptr;
  std::wstring path_;
};

}  // namespace zp::services
