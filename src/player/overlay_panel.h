// The document's overlay panel: a picture and a block of text side by side in two borderless
// pop-ups owned by the player window, so that they stand above it and above the movie without
// being part of its client area. They keep their place at one of nine positions of the client
// area while the window moves or changes size, and are cut to the client area when it is
// smaller than they are.
//
// The pop-ups never take the keyboard focus or activation: keys stay with the player window,
// whose close keys and Esc rule must go on working while the panel is shown. The text cannot
// be edited.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "core/layout/geometry.h"
#include "framework/unique_handle.h"
#include "framework/window.h"

namespace zp::player {

class OverlayPanel {
 public:
  OverlayPanel();
  ~OverlayPanel();
  OverlayPanel(const OverlayPanel&) = delete;
  OverlayPanel& operator=(const OverlayPanel&) = delete;

  // In this order, before `Place`. The bitmap and the font stay the caller's and must outlive
  // the panel's pop-ups. A picture is shown when there is a bitmap, text when there is a font
  // and some text.
  void SetPosition(int code) { position_ = code; }
  void SetPicture(HBITMAP bitmap);
  void SetText(HFONT font, std::wstring text, int alignment, COLORREF textColour, COLORREF backgroundColour);

  // Makes the pop-ups over `owner` and puts them in place; false when there is nothing to show
  // or nothing could be made.
  bool Place(HWND owner);
  // Puts the pop-ups in place again over the owner's client area as it is now, shown while
  // the owner is shown and hidden while it is hidden or minimised.
  void Replace();
  // Shows the pop-ups as the owner is about to appear (on its WM_SHOWWINDOW), before it is on
  // screen. Shown after it, they could end up beneath it under Wine: the owner's first
  // exposure, drawn before they were there but handled once they are, tells Wine the owner
  // stands above them, and Wine restacks it so without a message. Already there when it
  // appears, they are never part of what it exposes.
  void OwnerAppearing();
  // Destroys the pop-ups.
  void Remove();

  HWND pictureWindow() const;
  HWND textWindow() const;
  HWND textBox() const;

 private:
  class PopUp;
  bool MakePicture(const layout::Box& client);
  bool MakeText(const layout::Box& client);
  layout::Box ClientOnScreen() const;
  void PutInPlace(bool ownerShown);
  // Lifts the shown pop-ups back above the owner. Under Wine, an owner given the keyboard focus
  // (which it takes again when its window is first mapped, if the focus is in one of its
  // children) is raised on screen above everything, its pop-ups too; once the parts it then
  // uncovers are drawn, Wine restacks it above them in its own order as well, and none of this
  // sends the owner a message. Checked now and then while the panel lives.
  void KeepAbove();
  static constexpr UINT kKeepAboveMs = 250;

  HWND owner_ = nullptr;
  int position_ = 0;
  HBITMAP bitmap_ = nullptr;
  HFONT font_ = nullptr;
  std::wstring text_;
  int alignment_ = 0;
  COLORREF textColour_ = 0;
  COLORREF backgroundColour_ = 0xFFFFFF;
  std::unique_ptr<PopUp> picture_;
  std::unique_ptr<PopUp> textPopUp_;
  // Each pop-up's rectangle relative to the client area's top-left corner; its size is kept
  // while the pop-up itself is cut to the client area.
  layout::Box pictureRect_;
  layout::Box textRect_;
};

}  // namespace zp::player
