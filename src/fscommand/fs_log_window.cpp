// The "FSCommand Log" tool window of the FSCommand manager.
#include <windows.h>

#include "core/fscommand/fs_log_text.h"
#include "fscommand/fs_command_manager.h"
#include "platform/wide.h"
#include "services/settings_store.h"

namespace zp::fscommand {
namespace {

constexpr wchar_t kLogSection[] = L"DebugDlg";
constexpr wchar_t kLogEntry[] = L"Rect";
constexpr int kDefaultWidth = 480;
constexpr int kDefaultHeight = 150;

}  // namespace

void CFsCommandManager::Place(int x, int y, int width, int height) {
  // Leaves the Z order alone: re-ordering an owned window would pull a topmost owner down.
  SetWindowPos(hwnd(), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

std::wstring LoadResourceString(HMODULE module, UINT id) {
  if (!module) return {};
  if (!FindResourceW(module, MAKEINTRESOURCEW(id / 16 + 1), MAKEINTRESOURCEW(6) /* RT_STRING */)) return {};
  wchar_t buffer[2048] = {};
  const int length = LoadStringW(module, id, buffer, 2048);
  return length > 0 ? std::wstring(buffer, static_cast<size_t>(length)) : std::wstring();
}

bool CFsCommandManager::CreateLogWindow(HWND owner) {
  if (hwnd()) return true;
  const DWORD exStyle = WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE;
  const DWORD style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
  // Owned by the main window: it stays above a topmost player, hides while the player is
  // minimised and goes when the player goes.
  const bool created = Create(exStyle, L"FSCommand Log", style, 0, 0, 350, 200, owner);
  if (created) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    edit_ = CreateWindowExW(0, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                ES_AUTOHSCROLL | ES_WANTRETURN,
                            0, 0, client.right, client.bottom, hwnd(), nullptr, win::ModuleInstance(), nullptr);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
      font_ = CreateFontIndirectW(&metrics.lfMenuFont);
    if (edit_ && font_) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    // Lines are appended in place, which the edit's default text limit would cut short.
    if (edit_) SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);
    PlaceLogWindow(owner);
  }
  ShowFsCommandLog(false);
  imageIcon_ = nullptr;
  pendingMove_ = {};
  return created;
}

void CFsCommandManager::LoadResourceLibrary(const std::wstring& path) {
  if (resourceModule_) FreeLibrary(resourceModule_);
  resourceModule_ = LoadLibraryW(path.c_str());
}

void CFsCommandManager::PlaceLogWindow(HWND owner) {
  RECT saved{};
  if (services::LoadWindowRect(kLogSection, kLogEntry, saved)) {
    Place(saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top);
    return;
  }
  RECT around{};
  if (!owner || !GetWindowRect(owner, &around)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &around, 0);
  const int x = around.left + (around.right - around.left - kDefaultWidth) / 2;
  const int y = around.top + (around.bottom - around.top - kDefaultHeight) / 2;
  Place(x, y, kDefaultWidth, kDefaultHeight);
}

void CFsCommandManager::DestroyLogWindow() {
  if (hwnd()) Destroy();
  edit_ = nullptr;
}

void CFsCommandManager::ShowFsCommandLog(bool on) {
  logEnabled_ = on;
  if (hwnd()) ShowWindow(hwnd(), on ? SW_SHOWNORMAL : SW_HIDE);
  if (HWND main = MainWindow()) SetFocus(main);
}

bool CFsCommandManager::IsLogVisible() const { return logEnabled_ && hwnd() && IsWindowVisible(hwnd()); }

std::wstring CFsCommandManager::LogText() const {
  if (!edit_) return {};
  const int length = GetWindowTextLengthW(edit_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(edit_, text.data(), length + 1)));
  return text;
}

void CFsCommandManager::AppendLogLine(const std::wstring& line, bool lineBreak) {
  if (!edit_) return;
  SendMessageW(edit_, WM_SETREDRAW, FALSE, 0);
  std::wstring added = line;
  if (lineBreak) added += L"\r\n";
  const auto lines = static_cast<size_t>(SendMessageW(edit_, EM_GETLINECOUNT, 0, 0));
  if (lines >= kFsLogLineCap) {
    const std::u16string whole = FromWide(LogText());
    SetWindowTextW(edit_, (ToWide(KeepFsLogText(whole, lines)) + added).c_str());
  } else {
    // The same text as putting the whole log back, without copying it on every line: a movie
    // that sends many commands stays responsive with the log open.
    const int length = GetWindowTextLengthW(edit_);
    SendMessageW(edit_, EM_SETSEL, length, length);
    SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
  }
  SendMessageW(edit_, EM_LINESCROLL, 0, 801);
  SendMessageW(edit_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(edit_, nullptr, TRUE);
}

void CFsCommandManager::AppendLogBreak() { AppendLogLine(L"", true); }

std::wstring CFsCommandManager::LogFormat(UINT id, const std::vector<std::wstring>& args) const {
  const std::u16string format = FromWide(LoadResourceString(resourceModule_, id));
  std::vector<std::u16string> converted;
  for (const auto& arg : args) converted.push_back(FromWide(arg));
  std::vector<std::u16string_view> views(converted.begin(), converted.end());
  return ToWide(FormatFsLogLine(format, views));
}

LRESULT CFsCommandManager::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      if (edit_) MoveWindow(edit_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        ShowWindow(hwnd(), SW_HIDE);
        return 0;
      }
      break;
    case WM_CLOSE:
      ShowWindow(hwnd(), SW_HIDE);
      return 0;
    case WM_DESTROY: {
      RECT rect{};
      if (GetWindowRect(hwnd(), &rect)) services::SaveWindowRect(kLogSection, kLogEntry, rect);
      edit_ = nullptr;
      break;
    }
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace zp::fscommand
