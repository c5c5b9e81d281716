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
#include "core/about/about_texts.h"
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

class AboutBox : public ::testing::Test {
 protected:
  static DocumentModel Document() {
    DocumentModel document;
    document.menuAboutOptions.hideAbout = 0;
    document.productInfo.title = u" Show  ";
    document.productInfo.version = u"1.2";
    document.productInfo.info4 = u"(c) 2026 Us";
    document.menuAboutOptions.about1 = u" http://example.com/ ";
    document.menuAboutOptions.about2 = u"Our site";
    document.menuAboutOptions.about3 = u"Visit us";
    document.menuAboutOptions.about4 = u"a@b.c";
    document.menuAboutOptions.about5 = u"Write to us";
    document.menuAboutOptions.about6 = u"Mail us";
    return document;
  }
  std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
  }
  std::wstring Item(int id) { return Text(GetDlgItem(box_.hwnd(), id)); }
  // The text colour the box gives the control, as it paints it.
  COLORREF PaintedColour(HWND control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(box_.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
  }
  POINT CentreOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }

  AboutDialog box_{nullptr};
};

TEST_F(AboutBox, ShowsTheDocumentsTextsAndOpensItsLinks) {
  box_.SetTexts(AboutTextsOf(Document()));
  ASSERT_TRUE(box_.Open());
  EXPECT_EQ(Text(box_.hwnd()), L"About  Show");
  EXPECT_EQ(Item(IDC_ABOUT_PRODUCT), L" Show  1.2");
  EXPECT_EQ(Item(IDC_ABOUT_NOTICE), L"(c) 2026 Us");
  EXPECT_EQ(Item(IDC_ABOUT_WEB_LINK), L"Our site");
  EXPECT_EQ(Item(IDC_ABOUT_MAIL_LINK), L"Write to us");
  EXPECT_EQ(Item(IDOK), L"Close");
  CHyperLink& web = box_.webLink();
  CHyperLink& mail = box_.mailLink();
  EXPECT_EQ(web.target(), L"http://example.com/");
  EXPECT_EQ(web.tipText(), L"Visit us");
  EXPECT_EQ(mail.target(), L"mailto:a@b.c");
  EXPECT_EQ(mail.tipText(), L"Mail us");
  EXPECT_EQ(mail.cursor(), LoadCursorW(nullptr, IDC_HAND));
  EXPECT_TRUE(mail.underline());
  EXPECT_TRUE(GetWindowLongPtrW(mail.hwnd(), GWL_STYLE) & SS_NOTIFY);
  // No picture: its place is hidden. No owner: the box stands in the middle of the work area.
  EXPECT_FALSE(GetWindowLongPtrW(GetDlgItem(box_.hwnd(), IDC_ABOUT_PICTURE), GWL_STYLE) & WS_VISIBLE);
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const POINT middle = CentreOf(box_.hwnd());
  EXPECT_NEAR(middle.x, (area.left + area.right) / 2, 1);
  EXPECT_NEAR(middle.y, (area.top + area.bottom) / 2, 1);

  // A click on the mail link opens its target; the link then shows as visited.
  std::vector<std::wstring> opened;
  INT_PTR answer = 33;
  mail.SetOpener([&](const std::wstring& target, int show) {
    EXPECT_EQ(show, SW_SHOWNORMAL);
    opened.push_back(target);
    return answer;
  });
  EXPECT_EQ(PaintedColour(mail.hwnd()), AboutDialog::kLinkColour);
  SendMessageW(mail.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageW(mail.hwnd(), WM_LBUTTONUP, 0, 0);
  EXPECT_EQ(opened, std::vector<std::wstring>{L"mailto:a@b.c"});
  EXPECT_TRUE(mail.visited());
  EXPECT_EQ(PaintedColour(mail.hwnd()), AboutDialog::kVisitedColour);
  // A target nothing could open leaves it unvisited.
  answer = SE_ERR_NOASSOC;
  SendMessageW(mail.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_EQ(opened.size(), 2u);
  EXPECT_FALSE(mail.visited());
  EXPECT_EQ(PaintedColour(mail.hwnd()), AboutDialog::kLinkColour);
  // A plain text of the box is none of the links' business.
  EXPECT_NE(PaintedColour(GetDlgItem(box_.hwnd(), IDC_ABOUT_NOTICE)), AboutDialog::kLinkColour);
}

TEST_F(AboutBox, TheCursorOverALinkCapturesTheMouseAndShowsItsTip) {
  box_.SetTexts(AboutTextsOf(Document()));
  ASSERT_TRUE(box_.Open());
  CHyperLink& web = box_.webLink();
  TipWindow& tip = TipWindow::Instance();

  SetCursorPos(CentreOf(web.hwnd()).x, CentreOf(web.hwnd()).y);
  SendMessageW(web.hwnd(), WM_MOUSEMOVE, 0, 0);
  EXPECT_TRUE(web.hover());
  EXPECT_EQ(GetCapture(), web.hwnd());
  EXPECT_TRUE(tip.showing());
  EXPECT_EQ(tip.text(), L"Visit us");
  EXPECT_EQ(PaintedColour(web.hwnd()), AboutDialog::kHoverColour);
  // Over the mail link the web link's tip goes.
  SendMessageW(box_.mailLink().hwnd(), WM_MOUSEMOVE, 0, 0);
  EXPECT_EQ(tip.text(), L"Mail us");
  ReleaseCapture();
  EXPECT_FALSE(web.hover());  // lost the capture: no longer known to be over it

  SendMessageW(web.hwnd(), WM_MOUSEMOVE, 0, 0);
  ASSERT_TRUE(web.hover());
  const POINT outside{CentreOf(box_.hwnd()).x, CentreOf(GetDlgItem(box_.hwnd(), IDOK)).y};
  SetCursorPos(outside.x, outside.y);
  SendMessageW(web.hwnd(), WM_MOUSEMOVE, 0, 0);
  EXPECT_FALSE(web.hover());
  EXPECT_NE(GetCapture(), web.hwnd());
  EXPECT_FALSE(tip.showing());
  EXPECT_EQ(PaintedColour(web.hwnd()), AboutDialog::kLinkColour);
}

TEST_F(AboutBox, ShowsTheDocumentsPictureAndStaysWithItsOwner) {
  HBITMAP picture = CreateBitmap(40, 30, 1, 32, nullptr);
  HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 300, 300, 50, 50, nullptr, nullptr, nullptr, nullptr);
  {
    AboutDialog box(owner);
    box.SetBitmap(picture);
    ASSERT_TRUE(box.Open());
    HWND control = GetDlgItem(box.hwnd(), IDC_ABOUT_PICTURE);
    EXPECT_TRUE(GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE);
    EXPECT_NE(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(GetWindow(box.hwnd(), GW_OWNER), owner);
    // Empty texts leave their controls empty.
    EXPECT_EQ(Text(GetDlgItem(box.hwnd(), IDC_ABOUT_NOTICE)), L"");
  }
  // The picture stays the document's.
  BITMAP info{};
  EXPECT_EQ(GetObjectW(picture, sizeof info, &info), static_cast<int>(sizeof info));
  DeleteObject(picture);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace zp::services
