#include "framework/dialog.h"

#include "framework/control_site.h"

namespace zp::win {

Dialog::~Dialog() { Destroy(); }

bool Dialog::CreateModeless(int templateId, HWND owner, HINSTANCE resources) {
  if (hwnd()) return false;
  ended_ = false;
  result_ = 0;
  HWND hwnd = CreateDialogParamW(resources ? resources : ModuleInstance(), MAKEINTRESOURCEW(templateId),
                                 owner, &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
  return hwnd != nullptr;
}

INT_PTR Dialog::RunModal(int templateId, HWND owner, HINSTANCE resources) {
  if (!CreateModeless(templateId, owner, resources)) return -1;
  HWND dialog = hwnd();
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  if (!ended_ && dialog && !IsWindowVisible(dialog)) ShowWindow(dialog, SW_SHOWNORMAL);

  while (!ended_) {
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;  // an error, not a message
    if (got == 0) {
      // Someone asked the program to quit: end the dialog and let the outer loop see it too.
      PostQuitMessage(static_cast<int>(message.wParam));
      if (!ended_) result_ = IDCANCEL;
      break;
    }
    RouteMessage(message);
  }

  // The owner is enabled before the dialog goes, so that the system activates it and not some
  // other program's window.
  if (disableOwner) EnableWindow(owner, TRUE);
  if (owner && GetActiveWindow() == dialog) SetActiveWindow(owner);
  Destroy();
  return result_;
}

void Dialog::RouteMessage(MSG& message) {
  if (PreTranslateWalk(message)) return;
  // A control's own keys (its accelerators, Tab inside it) before the dialog's navigation.
  if (ControlSite::OfferKey(message)) return;
  if (hwnd() && IsDialogMessageW(hwnd(), &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool Dialog::PreTranslateWalk(MSG& message) {
  HWND dialog = hwnd();
  for (HWND target = message.hwnd; target; target = GetParent(target)) {
    if (Window* object = FromHandle(target); object && object->PreTranslateMessage(message)) return true;
    // Stop at the dialog and at any other top-level window: GetParent of those is their owner.
    if (target == dialog || !(GetWindowLongPtrW(target, GWL_STYLE) & WS_CHILD)) break;
  }
  return false;
}

void Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  ended_ = true;
  // Wake the loop in case it is waiting for a message.
  if (hwnd()) PostMessageW(hwnd(), WM_NULL, 0, 0);
}

LRESULT Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      const WORD code = HIWORD(wParam);
      if (OnCommand(id, code, reinterpret_cast<HWND>(lParam))) return 0;
      if (id == IDOK) {
        OnOK();
        return 0;
      }
      if (id == IDCANCEL) {
        OnCancel();
        return 0;
      }
      return DefaultHandling(message, wParam, lParam);
    }
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lParam);
    if (self) self->Attach(hwnd);
  } else {
    self = static_cast<Dialog*>(FromHandle(hwnd));
  }
  if (!self) return FALSE;

  // Handlers send messages to their own window; each message keeps its own default request.
  const bool outer = self->defaultRequested_;
  self->defaultRequested_ = false;
  const LRESULT result = self->Route(message, wParam, lParam);
  if (message == WM_NCDESTROY) return FALSE;  // self may be gone
  const bool wantsDefault = self->defaultRequested_;
  self->defaultRequested_ = outer;
  if (wantsDefault) return FALSE;

  switch (message) {
    // These answer through the procedure's own result, not the message result.
    case WM_INITDIALOG:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
      return static_cast<INT_PTR>(result);
    default:
      SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
      return TRUE;
  }
}

}  // namespace zp::win
