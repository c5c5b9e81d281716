// A static control turned into a link: its text in link colours, another colour while the
// cursor is over it (the mouse is captured meanwhile) and once its target was opened, a tip
// near the cursor, the system's hand cursor, and its target opened when it is clicked.
//
// The parent owns the control's colours and clicks: it hands WM_CTLCOLORSTATIC and the
// control's STN_CLICKED to `OnControlColour` and `OnClicked` (see `ReflectToLink`).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/unique_handle.h"
#include "framework/window.h"

namespace zp::services {

class CHyperLink : public win::Window {
 public:
  static constexpr COLORREF kLinkColour = 0xFF4600;
  static constexpr COLORREF kVisitedColour = 0x969696;
  static constexpr COLORREF kHoverColour = 0x007300;
  // As the hover colour: the system's highlight colour at the time it is set.
  static constexpr COLORREF kHighlightColour = CLR_INVALID;

  // How the link opens its target; greater than 32 is success. OpenUrl unless set.
  using Opener = std::function<INT_PTR(const std::wstring& target, int show)>;

  CHyperLink();
  ~CHyperLink() override;

  // Takes over a static control: it reports clicks, shows its target when it has no text (and
  // takes its text as the target when none was set), gets its underlined font, its size and
  // its cursor.
  bool SubclassControl(HWND control);

  void SetTarget(std::wstring target);
  void SetTipText(std::wstring text) { tipText_ = std::move(text); }
  void SetColours(COLORREF link, COLORREF visited, COLORREF hover);
  void SetVisited(bool visited);
  // A null cursor means the system's hand cursor.
  void SetCursor(HCURSOR cursor);
  void SetUnderline(bool underline);
  void SetAutoSize(bool autoSize);
  void SetOpener(Opener opener) { opener_ = std::move(opener); }

  // The parent's WM_CTLCOLORSTATIC for this control: the colour of the text, drawn without a
  // background.
  HBRUSH OnControlColour(HDC dc) const;
  // The parent's STN_CLICKED for this control: opens the target, or beeps when that fails.
  void OnClicked();

  bool hover() const { return hover_; }
  bool visited() const { return visited_; }
  bool underline() const { return underline_; }
  const std::wstring& target() const { return target_; }
  const std::wstring& tipText() const { return tipText_; }
  HCURSOR cursor() const { return cursor_; }
  COLORREF TextColour() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ApplyFont();
  void AdjustSize();
  void Repaint();
  void OnMouseMove();
  void LeaveHover();
  void OnEraseBackground(HDC dc);

  bool hover_ = false;
  bool visited_ = false;
  bool underline_ = true;
  bool autoSize_ = true;
  COLORREF linkColour_ = kLinkColour;
  COLORREF visitedColour_ = kVisitedColour;
  COLORREF hoverColour_ = kHoverColour;
  std::wstring tipText_;
  std::wstring target_;
  win::UniqueFont font_;
  HCURSOR cursor_ = nullptr;  // shared system or resource cursor: never destroyed
  Opener opener_;
};

// For a dialog with links among its controls: hands WM_CTLCOLORSTATIC and STN_CLICKED of a
// link control to that link. True when the message was a link's; `result` then holds the answer.
bool ReflectToLink(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

}  // namespace zp::services
