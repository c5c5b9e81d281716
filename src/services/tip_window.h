// The one tip window of the process, shared by every control that shows a tip near the cursor.
// It is made on first use and shows one tip at a time, for the control last noted.
#pragma once

#include <windows.h>

#include <string>

namespace zp::services {

class TipWindow {
 public:
  static TipWindow& Instance();

  // `control` is now under the cursor: a tip shown for another control is hidden.
  void NoteControl(HWND control);
  // Shows the text just below and right of the cursor, for `control`.
  void Show(HWND control, const std::wstring& text);
  void Hide();

  HWND hwnd() const { return tip_; }
  bool showing() const { return showing_; }
  const std::wstring& text() const { return text_; }

 private:
  TipWindow() = default;
  bool Make();

  HWND tip_ = nullptr;
  HWND control_ = nullptr;
  bool showing_ = false;
  std::wstring text_;
};

}  // namespace zp::services
