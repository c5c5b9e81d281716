#include "services/warning_dialog.h"

#include "framework/profile.h"

namespace zp::services {

void WarningDialog::SetMessage(std::wstring text) {
  message_ = std::move(text);
  if (hwnd()) SetDlgItemTextW(hwnd(), kMessageControl, message_.c_str());
}

INT_PTR WarningDialog::Run(HWND owner) {
  dontShowAgain_ = false;
  return RunModal(kTemplateId, owner);
}

BOOL WarningDialog::OnInitDialog() {
  SetDlgItemTextW(hwnd(), kMessageControl, message_.c_str());
  SendDlgItemMessageW(hwnd(), kIconControl, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
  // Start-up shows it before any other window of the player exists: without this it may open
  // behind other programs' windows, with no taskbar button to find it by.
  SetForegroundWindow(hwnd());
  return TRUE;
}

void WarningDialog::OnOK() {
  dontShowAgain_ = IsDlgButtonChecked(hwnd(), kDontShowControl) == BST_CHECKED;
  Dialog::OnOK();
}

}  // namespace zp::services
