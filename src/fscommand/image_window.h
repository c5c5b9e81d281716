// A top-level window showing one picture file, scaled to fit, with its own taskbar button: what
// the FSCommand ShowImage opens. The FSCommand manager owns every such window; a window that
// is destroyed (closed by the user, or when the manager lets its windows go) tells its owner,
// which then deletes the object and drops it from its list.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "core/layout/geometry.h"
#include "framework/window.h"
#include "pictures/picture_holder.h"

namespace zp::fscommand {

class CImageWindow : public win::Window {
 public:
  // `onDestroyed` runs once the window is gone; it may delete this object.
  explicit CImageWindow(std::function<void(CImageWindow*)> onDestroyed = {});

  // A hidden pop-up window with caption, system menu and sizing border; `taskbarButton` gives
  // it a button of its own.
  bool Create(const layout::Box& rect, bool taskbarButton);
  void SetIcon(HICON icon);
  void SetTitle(const std::wstring& title) { title_ = title; }
  // Shows the file: false, with the window left hidden, when no file of that name exists.
  // `fit` sizes the window to the picture first, within `mainWindow`'s work area.
  bool ShowFile(const std::wstring& path, bool fit, HWND mainWindow);

  const pictures::PictureHolder& picture() const { return picture_; }

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage() override;

 private:
  void FitToPicture(HWND mainWindow);
  void Refit();
  void Paint();

  std::function<void(CImageWindow*)> onDestroyed_;
  pictures::PictureHolder picture_;
  std::wstring path_;
  std::wstring title_;
  HICON icon_ = nullptr;
};

}  // namespace zp::fscommand
