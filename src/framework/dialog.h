// Dialogs from .rc templates, run by the framework's own modal loop.
//
// The loop is the program's message loop while the dialog runs: for every message it first asks
// PreTranslateMessage of the target window and then of each parent up to the dialog; a key
// nobody swallowed is offered to the control it is meant for, and only then does a message go
// through the system's dialog-message handling and dispatch.
// EndDialog ends the loop; RunModal then destroys the dialog window and returns the result.
#pragma once

#include "framework/message_pump.h"
#include "framework/window.h"

namespace zp::win {

class Dialog : public Window, public MessageRouter {
 public:
  Dialog() { isDialog_ = true; }
  ~Dialog() override;

  // Creates the dialog from the template, disables the owner while it runs, shows the dialog
  // unless it ended during initialisation, and runs the modal loop. -1 when the template
  // cannot be made into a window.
  INT_PTR RunModal(int templateId, HWND owner, HINSTANCE resources = nullptr);
  // Creates the dialog without running it (for tests and for modeless use).
  bool CreateModeless(int templateId, HWND owner, HINSTANCE resources = nullptr);

  void EndDialog(INT_PTR result);
  bool ended() const { return ended_; }
  INT_PTR result() const { return result_; }

  // One pass of the modal loop's routing for a message already taken from the queue: the
  // pre-translation walk, then the keys of a hosted control, then dialog-message handling,
  // then dispatch. Waits route through it
  // too while the dialog is the thread's router (RoutingScope).
  void RouteMessage(MSG& message) override;
  // The pre-translation walk alone: true when some window swallowed the message.
  bool PreTranslateWalk(MSG& message);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // True lets the system set the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // True when the command was handled.
  virtual bool OnCommand(WORD id, WORD code, HWND control) { (void)id; (void)code; (void)control; return false; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  bool ended_ = false;
  INT_PTR result_ = 0;
};

}  // namespace zp::win
