// A small modal warning with an icon, an OK button and a "Don't show this message again" box
// (template 570). Start-up uses it to say why a transparent document plays opaque.
#pragma once

#include <string>

#include "framework/dialog.h"

namespace zp::services {

class WarningDialog : public win::Dialog {
 public:
  static constexpr int kTemplateId = 570;
  static constexpr int kMessageControl = 1008;
  static constexpr int kDontShowControl = 1007;
  static constexpr int kIconControl = 1009;

  void SetMessage(std::wstring text);
  // Runs modally; the box's state counts only when the dialog ends with OK.
  INT_PTR Run(HWND owner = nullptr);
  bool DontShowAgain() const { return dontShowAgain_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  std::wstring message_;
  bool dontShowAgain_ = false;
};

}  // namespace zp::services
