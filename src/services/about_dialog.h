// The About box of the presentation (dialog 129): its name and version, its notice line, a web
// link and a mail link with their tips, and its picture, all from the document. It belongs to
// the given owner; without one it stands centred on the screen's work area.
#pragma once

#include <windows.h>

#include "core/about/about_texts.h"
#include "framework/dialog.h"
#include "services/hyper_link.h"

namespace zp::services {

class AboutDialog : public win::Dialog {
 public:
  static constexpr int kTemplateId = 129;
  static constexpr COLORREF kLinkColour = 0xFF4600;     // a blue
  static constexpr COLORREF kVisitedColour = 0xEB00FF;  // a magenta
  static constexpr COLORREF kHoverColour = 0x0000FF;    // a red

  explicit AboutDialog(HWND owner) : owner_(owner) {}

  // Both before the box is shown. The bitmap stays the caller's.
  void SetTexts(AboutTexts texts) { texts_ = std::move(texts); }
  void SetBitmap(HBITMAP bitmap) { bitmap_ = bitmap; }

  INT_PTR Run() { return RunModal(kTemplateId, owner_); }
  bool Open() { return CreateModeless(kTemplateId, owner_); }  // for tests: shown, not run

  CHyperLink& webLink() { return webLink_; }
  CHyperLink& mailLink() { return mailLink_; }

 protected:
  BOOL OnInitDialog() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void MakeLink(CHyperLink& link, int controlId, const std::u16string& target, const std::u16string& tip);
  void ShowPicture();
  void ForgetPictureCopy();
  void CentreOnWorkArea();

  HWND owner_;
  AboutTexts texts_;
  HBITMAP bitmap_ = nullptr;
  HBITMAP pictureCopy_ = nullptr;  // a copy the picture control made of the bitmap, if it did
  CHyperLink webLink_;
  CHyperLink mailLink_;
};

}  // namespace zp::services
