// Opening addresses when the shell refuses them, and the About box with its two links, in
// process under Wine. The registered web browser is a copy of the argument recorder, registered
// under a scratch key that stands in for the classes root.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <string>
#include <vector>

#include "arg_recorder.h"
#include "pump_until.h"
#include "platform/wide.h"
#include "resource_ids.h"
#include "services/about_dialog.h"
#include "services/open_url.h"
#include "services/tip_window.h"
#include "test_files.h"

namespace zp::services {
namespace {

class OpeningLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    static std::atomic<int> serial{0};
    keyPath_ = L"Software\\ZentrapolisTests\\Links" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::to_wstring(++serial);
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root_,
                              nullptr),
              ERROR_SUCCESS);
    system_.classesRoot = root_;
    system_.shellOpen = [this](const std::wstring& address, int) {
      shellAddresses_.push_back(address);
      return shellResult_;
    };
  }
  void TearDown() override {
    RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, keyPath_.c_str());
  }

  void SetDefault(const std::wstring& subKey, const std::wstring& value, DWORD type = REG_SZ) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(root_, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void RegisterBrowser(const std::wstring& command, DWORD type = REG_SZ) {
    SetDefault(L".htm", L"ZentrapolisTestPage");
    SetDefault(L"ZentrapolisTestPage\\shell\\open\\command", command, type);
  }
  std::wstring CopyOfRecorder(const char16_t* name) {
    const std::wstring copy = ToWide(temp_.File(name));
    EXPECT_TRUE(CopyFileW(test::RecorderProgram().c_str(), copy.c_str(), FALSE));
    return copy;
  }
  std::vector<std::wstring> ArgumentsOf(const std::wstring& program) {
    std::optional<std::vector<std::wstring>> arguments;
    EXPECT_TRUE(test::PumpUntil([&] { return (arguments = test::RecordedArguments(program)).has_value(); }, 20000));
    return arguments.value_or(std::vector<std::wstring>{});
  }

  test::ScratchDirectory temp_;
  std::wstring keyPath_;
  HKEY root_ = nullptr;
  UrlSystem system_;
  INT_PTR shellResult_ = SE_ERR_NOASSOC;
  std::vector<std::wstring> shellAddresses_;
};

TEST_F(OpeningLinks, WhenTheShellRefusesTheBrowserGetsTheAddressAsOneArgument) {
  const std::wstring browser = CopyOfRecorder(u"web browser.exe");
  // A registered command longer than any fixed buffer would hold, with a quoted placeholder.
  const std::wstring profile = L"--profile=" + std::wstring(300, L'p');
  RegisterBrowser(L"\"" + browser + L"\" " + profile + L" \"%1\" --after");
  const std::wstring address = L"http://example.com/a b?q=\"x\" & y\\\"z\\";
  EXPECT_GT(OpenUrl(address, SW_SHOWNORMAL, system_), 32);
  EXPECT_EQ(shellAddresses_, std::vector<std::wstring>{address});
  EXPECT_EQ(ArgumentsOf(browser), (std::vector<std::wstring>{profile, address}));

  // An expandable command is expanded; a program without a placeholder gets the address last.
  const std::wstring second = CopyOfRecorder(u"second.exe");
  SetEnvironmentVariableW(L"ZP_LINKS_TEST_FOLDER", ToWide(temp_.path()).c_str());
  RegisterBrowser(L"\"%ZP_LINKS_TEST_FOLDER%\\second.exe\" -new", REG_EXPAND_SZ);
  EXPECT_GT(OpenUrl(L"mailto:a@b.c", SW_SHOWNORMAL, system_), 32);
  EXPECT_EQ(ArgumentsOf(second), (std::vector<std::wstring>{L"-new", L"mailto:a@b.c"}));
}

TEST_F(OpeningLinks, TheShellsAnswerStandsWhenNoBrowserIsAsked) {
  // The shell opened it: nothing else is started.
  shellResult_ = 42;
  EXPECT_EQ(OpenUrl(L"http://example.com/", SW_SHOWNORMAL, system_), 42);
  // Refused, and no web page class registered: the shell's error.
  shellResult_ = SE_ERR_NOASSOC;
  EXPECT_EQ(OpenUrl(L"http://example.com/", SW_SHOWNORMAL, system_), SE_ERR_NOASSOC);
  // A class without a command.
  SetDefault(L".htm", L"ZentrapolisTestPage");
  EXPECT_EQ(OpenUrl(L"http://example.com/", SW_SHOWNORMAL, system_), SE_ERR_NOASSOC);
  // A registered browser that is not there, or that names no folder and is not a system program.
  RegisterBrowser(L"\"" + ToWide(temp_.File(u"missing.exe")) + L"\" %1");
  EXPECT_EQ(OpenUrl(L"http://example.com/", SW_SHOWNORMAL, system_), SE_ERR_FNF);
  RegisterBrowser(L"no-such-browser.exe %1");
  EXPECT_EQ(OpenUrl(L"http://example.com/", SW_SHOWNORMAL, system_), SE_ERR_FNF);
}

// The About box's links as the cursor meets them; what the box shows is seen from outside by
// the player's end-to-end scenarios.
class AboutBoxLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    AboutTexts texts;
    texts.linkAddress = u"http://example.com/";
    texts.linkLabel = u"Our site";
    texts.linkTip = u"Visit us";
    texts.mailAddress = u"mailto:a@b.c";
    texts.mailLabel = u"Write to us";
    texts.mailTip = u"Mail us";
    box_.SetTexts(texts);
    ASSERT_TRUE(box_.Open());
  }
  // The text colour the box gives the control, as it paints it.
  COLORREF PaintedColour(HWND control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(box_.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
  }
  static POINT CentreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }

  AboutDialog box_{nullptr};
};

TEST_F(AboutBoxLinks, HoverCapturesTheMouseShowsTheTipAndAClickOpensTheTarget) {
  CHyperLink& web = box_.webLink();
  CHyperLink& mail = box_.mailLink();
  TipWindow& tip = TipWindow::Instance();
  EXPECT_EQ(mail.cursor(), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_EQ(PaintedColour(web.hwnd()), AboutDialog::kLinkColour);

  SetCursorPos(CentreOf(web.hwnd()).x, CentreOf(web.hwnd()).y);
  SendMessageW(web.hwnd(), WM_MOUSEMOVE, 0, 0);
  EXPECT_TRUE(web.hover());
  EXPECT_EQ(GetCapture(), web.hwnd());
  EXPECT_TRUE(tip.showing());
  EXPECT_EQ(tip.text(), L"Visit us");
  EXPECT_EQ(PaintedColour(web.hwnd()), AboutDialog::kHoverColour);
  // Over another link the first one's tip goes; a lost capture ends the hover.
  SendMessageW(mail.hwnd(), WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(tip.text(), L"Mail us");
  ReleaseCapture();
  EXPECT_FALSE(web.hover());
  // Leaving the link ends it too.
  SendMessageW(web.hwnd(), WM_MOUSEMOVE, 0, 0);
  ASSERT_TRUE(web.hover());
  SetCursorPos(CentreOf(GetDlgItem(box_.hwnd(), IDOK)).x, CentreOf(GetDlgItem(box_.hwnd(), IDOK)).y);
  SendMessageW(web.hwnd(), WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(web.hover());
  EXPECT_NE(GetCapture(), web.hwnd());
  EXPECT_FALSE(tip.showing());

  // A click opens the target and shows the link as visited; a target nothing opens does not.
  std::vector<std::wstring> opened;
  INT_PTR answer = 33;
  mail.SetOpener([&](const std::wstring& target, int show) {
    EXPECT_EQ(show, SW_SHOWNORMAL);
    opened.push_back(target);
    return answer;
  });
  SendMessageW(mail.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(opened, std::vector<std::wstring>{L"mailto:a@b.c"});
  EXPECT_EQ(PaintedColour(mail.hwnd()), AboutDialog::kVisitedColour);
  answer = SE_ERR_NOASSOC;
  SendMessageW(mail.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_EQ(PaintedColour(mail.hwnd()), AboutDialog::kLinkColour);
  // The box's plain texts are none of the links' business.
  EXPECT_NE(PaintedColour(GetDlgItem(box_.hwnd(), IDC_ABOUT_NOTICE)), AboutDialog::kLinkColour);
}

}  // namespace
}  // namespace zp::services
