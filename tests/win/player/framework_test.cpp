// The framework's window binding, subclassing, modal loop and profile, in-process under Wine.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/dialog.h"
#include "framework/message_pump.h"
#include "framework/profile.h"
#include "framework/timer.h"
#include "framework/window.h"

namespace zp::win {
namespace {

// Records which windows were asked to pre-translate a message, and may swallow it.
std::vector<std::wstring>* journal = nullptr;

class NamedWindow : public Window {
 public:
  NamedWindow(std::wstring name, bool swallow) : name_(std::move(name)), swallow_(swallow) {}
  ~NamedWindow() override { Destroy(); }
  bool PreTranslateMessage(MSG& message) override {
    if (message.message != WM_APP + 1) return false;
    if (journal) journal->push_back(name_);
    return swallow_;
  }
  int received = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_APP + 1) ++received;
    return DefaultHandling(message, wParam, lParam);
  }

 private:
  std::wstring name_;
  bool swallow_;
};

class TestDialog : public Dialog {
 public:
  bool swallow = false;
  int initialised = 0;
  bool PreTranslateMessage(MSG& message) override {
    if (message.message != WM_APP + 1) return false;
    if (journal) journal->push_back(L"dialog");
    return swallow;
  }

 protected:
  BOOL OnInitDialog() override {
    ++initialised;
    return TRUE;
  }
};

TEST(Framework, WindowIsBoundFromCreationToDestruction) {
  NamedWindow window(L"w", false);
  ASSERT_TRUE(window.Create(0, L"bound", WS_POPUP, RECT{0, 0, 50, 50}, nullptr));
  HWND hwnd = window.hwnd();
  EXPECT_EQ(Window::FromHandle(hwnd), &window);
  DestroyWindow(hwnd);
  EXPECT_EQ(window.hwnd(), nullptr);
  EXPECT_EQ(Window::FromHandle(hwnd), nullptr);
}

TEST(Framework, AWindowMayDeleteItselfAfterItsLastMessage) {
  static int finals;
  finals = 0;
  class SelfDeleting : public Window {
   protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_APP) {
        DestroyWindow(hwnd());  // from inside its own handler
        return 0;
      }
      return DefaultHandling(message, wParam, lParam);
    }
    void OnFinalMessage() override {
      ++finals;
      delete this;
    }
  };
  auto* window = new SelfDeleting;
  ASSERT_TRUE(window->Create(0, L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr));
  HWND hwnd = window->hwnd();
  SendMessageW(hwnd, WM_APP, 0, 0);
  EXPECT_EQ(finals, 1);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(Framework, SubclassingRoutesMessagesAndKeepsTheOldProcedure) {
  HWND edit = CreateWindowExW(0, L"EDIT", L"text", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(edit, nullptr);
  NamedWindow subclass(L"edit", false);
  ASSERT_TRUE(subclass.Subclass(edit));
  SendMessageW(edit, WM_APP + 1, 0, 0);
  EXPECT_EQ(subclass.received, 1);
  wchar_t text[16] = {};
  GetWindowTextW(edit, text, 16);  // the edit's own procedure still answers
  EXPECT_STREQ(text, L"text");
  NamedWindow second(L"again", false);
  EXPECT_FALSE(second.Subclass(edit));  // one object per window
}

TEST(Framework, PreTranslationWalksFromTheTargetUpToTheDialog) {
  std::vector<std::wstring> calls;
  journal = &calls;
  TestDialog dialog;
  ASSERT_TRUE(dialog.CreateModeless(102, nullptr));
  EXPECT_EQ(dialog.initialised, 1);
  NamedWindow outer(L"outer", false);
  ASSERT_TRUE(outer.Create(0, L"", WS_CHILD, RECT{0, 0, 40, 40}, dialog.hwnd()));
  NamedWindow inner(L"inner", false);
  ASSERT_TRUE(inner.Create(0, L"", WS_CHILD, RECT{0, 0, 20, 20}, outer.hwnd()));

  MSG message{inner.hwnd(), WM_APP + 1, 0, 0, 0, {}};
  dialog.RouteMessage(message);
  EXPECT_EQ(calls, (std::vector<std::wstring>{L"inner", L"outer", L"dialog"}));
  EXPECT_EQ(inner.received, 1);  // nobody swallowed it: dispatched

  calls.clear();
  dialog.swallow = true;
  dialog.RouteMessage(message);
  EXPECT_EQ(inner.received, 1);  // swallowed by the dialog
  journal = nullptr;
}

// Keys that arrive while the thread waits go where the modal loop would send them: through the
// router's pre-translation when a dialog routes the waits, straight to the window otherwise.
TEST(Framework, WaitsRouteKeysThroughTheDialogThatRoutesThem) {
  class KeyFilterDialog : public Dialog {
   public:
    int filtered = 0;
    bool PreTranslateMessage(MSG& message) override {
      if (message.message != WM_KEYDOWN || message.wParam != VK_ESCAPE) return false;
      ++filtered;
      return true;
    }
  };
  class KeyWindow : public Window {
   public:
    ~KeyWindow() override { Destroy(); }
    int keys = 0;

   protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_KEYDOWN) ++keys;
      return DefaultHandling(message, wParam, lParam);
    }
  };
  struct Case {
    const char* name;
    bool routed;
    WPARAM key;
    int filtered;
    int received;
  };
  const Case cases[] = {
      {"escape in a routed wait is filtered", true, VK_ESCAPE, 1, 0},
      {"another key in a routed wait reaches the window", true, 'A', 0, 1},
      {"escape in an unrouted wait reaches the window", false, VK_ESCAPE, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KeyFilterDialog dialog;
    ASSERT_TRUE(dialog.CreateModeless(102, nullptr));
    KeyWindow child;
    ASSERT_TRUE(child.Create(0, L"", WS_CHILD, RECT{0, 0, 20, 20}, dialog.hwnd()));
    std::unique_ptr<RoutingScope> routing;
    if (c.routed) routing = std::make_unique<RoutingScope>(dialog);
    PostMessageW(child.hwnd(), WM_KEYDOWN, c.key, 0);
    PumpPendingMessages(100, PumpRange::kAll);
    EXPECT_EQ(dialog.filtered, c.filtered);
    EXPECT_EQ(child.keys, c.received);
  }
}

TEST(Framework, RoutingEndsWithItsScopeAndTheOuterRouterReturns) {
  struct CountingRouter final : MessageRouter {
    int routed = 0;
    void RouteMessage(MSG&) override { ++routed; }
  } outer, inner;
  const UINT probe = WM_USER + 7;
  auto pumpOne = [&] {
    PostThreadMessageW(GetCurrentThreadId(), probe, 0, 0);
    return PumpPendingMessages(10, PumpRange::kAll).dispatched;
  };
  {
    RoutingScope outerScope(outer);
    {
      RoutingScope innerScope(inner);
      EXPECT_EQ(pumpOne(), 1);
    }
    EXPECT_EQ(pumpOne(), 1);
  }
  EXPECT_EQ(pumpOne(), 1);
  EXPECT_EQ(inner.routed, 1);
  EXPECT_EQ(outer.routed, 1);
}

TEST(Framework, SystemRangeWaitsLeaveTheApplicationsMessagesQueued) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 3, 0, 0);
  PostThreadMessageW(GetCurrentThreadId(), WM_USER + 3, 0, 0);
  EXPECT_EQ(PumpPendingMessages(10, PumpRange::kSystem).dispatched, 1);
  EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_APP + 3, WM_APP + 3, PM_NOREMOVE));
  EXPECT_EQ(PumpPendingMessages(10, PumpRange::kAll).dispatched, 1);
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_APP + 3, WM_APP + 3, PM_NOREMOVE));
}

TEST(Framework, ModalLoopEndsOnEndDialogAndRestoresTheOwner) {
  NamedWindow owner(L"owner", false);
  ASSERT_TRUE(owner.Create(0, L"owner", WS_OVERLAPPEDWINDOW, RECT{0, 0, 100, 100}, nullptr));

  class ClosingDialog : public Dialog {
   public:
    bool ownerWasDisabled = false;
    HWND owner = nullptr;

   protected:
    BOOL OnInitDialog() override {
      SetTimer(hwnd(), 1, 10, nullptr);
      return TRUE;
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_TIMER) {
        ownerWasDisabled = !IsWindowEnabled(owner);
        KillTimer(hwnd(), 1);
        EndDialog(42);
        return 0;
      }
      return Dialog::HandleMessage(message, wParam, lParam);
    }
  } dialog;
  dialog.owner = owner.hwnd();
  EXPECT_EQ(dialog.RunModal(102, owner.hwnd()), 42);
  EXPECT_TRUE(dialog.ownerWasDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
  EXPECT_EQ(dialog.hwnd(), nullptr);  // the dialog window is gone
}

TEST(Framework, ModalLoopPassesQuitOn) {
  class QuittingDialog : public Dialog {
   protected:
    BOOL OnInitDialog() override {
      PostQuitMessage(7);
      return TRUE;
    }
  } dialog;
  EXPECT_EQ(dialog.RunModal(102, nullptr), IDCANCEL);
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 7u);
}

TEST(Framework, EndingDuringInitialisationNeverShowsTheDialog) {
  class EndingDialog : public Dialog {
   public:
    bool everVisible = false;

   protected:
    BOOL OnInitDialog() override {
      EndDialog(5);
      return TRUE;
    }
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_SHOWWINDOW && wParam) everVisible = true;
      return Dialog::HandleMessage(message, wParam, lParam);
    }
  } dialog;
  EXPECT_EQ(dialog.RunModal(102, nullptr), 5);
  EXPECT_FALSE(dialog.everVisible);
}

TEST(Framework, MissingTemplateFails) {
  TestDialog dialog;
  EXPECT_EQ(dialog.RunModal(4711, nullptr), -1);
}

TEST(Framework, TimerRecordStartsAndStops) {
  NamedWindow window(L"t", false);
  ASSERT_TRUE(window.Create(0, L"", WS_POPUP, RECT{0, 0, 10, 10}, nullptr));
  WindowTimer timer;
  EXPECT_FALSE(timer.Start());  // not prepared
  timer.Prepare(window.hwnd(), 5228, 40);
  EXPECT_TRUE(timer.Start());
  EXPECT_TRUE(timer.running());
  timer.Stop();
  EXPECT_FALSE(timer.running());
}

TEST(Framework, ProfileValuesRoundTripUnderTheChosenKey) {
  RegistryProfile profile;
  EXPECT_EQ(profile.GetInt(L"S", L"E", 3), 3);  // no key chosen: defaults, no writes
  EXPECT_FALSE(profile.WriteInt(L"S", L"E", 1));
  profile.SetRegistryKey(L"Zentrapolis Tests\\Framework");
  profile.SetApplicationName(L"ProfileCase");
  EXPECT_EQ(profile.SectionPath(L"Sec"), L"Software\\Zentrapolis Tests\\Framework\\ProfileCase\\Sec");
  ASSERT_TRUE(profile.WriteString(L"Sec", L"Text", L"hello"));
  ASSERT_TRUE(profile.WriteInt(L"Sec", L"Number", -12));
  EXPECT_EQ(profile.GetString(L"Sec", L"Text", L"x"), L"hello");
  EXPECT_EQ(profile.GetInt(L"Sec", L"Number", 0), -12);
  EXPECT_EQ(profile.GetInt(L"Sec", L"Text", 9), 9);  // wrong type reads as absent
  EXPECT_EQ(profile.GetString(L"Sec", L"Missing", L"d"), L"d");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zentrapolis Tests");
}

}  // namespace
}  // namespace zp::win
