#include "fscommand/image_window.h"

#include <algorithm>

#include "core/pictures/image_window_layout.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "resources/resource_ids.h"

namespace zp::fscommand {
namespace {

const wchar_t kImageWindowClass[] = L"ZentraImageWindow";
constexpr COLORREF kFrameGrey = RGB(120, 120, 120);

bool RegisterImageWindowClass() { return win::RegisterWindowClass(kImageWindowClass, CS_BYTEALIGNCLIENT); }

layout::Box ToBox(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The whole screen when the main window covers it (full screen), else the work area.
layout::Box WorkAreaFor(HWND mainWindow) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const layout::Box screen{0, 0, screenWidth, screenHeight};
  RECT main{};
  if (mainWindow && GetWindowRect(mainWindow, &main) && main.right - main.left >= screenWidth &&
      main.bottom - main.top >= screenHeight) {
    return screen;
  }
  RECT work{};
  return SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) ? ToBox(work) : screen;
}

}  // namespace

CImageWindow::CImageWindow(std::function<void(CImageWindow*)> onDestroyed)
    : onDestroyed_(std::move(onDestroyed)),
      icon_(LoadIconW(win::ModuleInstance(), MAKEINTRESOURCEW(IDI_PLAYER))) {}

bool CImageWindow::Create(const layout::Box& rect, bool taskbarButton) {
  if (!RegisterImageWindowClass()) return false;
  const DWORD exStyle = WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE | (taskbarButton ? WS_EX_APPWINDOW : 0);
  if (!win::Window::Create(exStyle, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
                           RECT{rect.left, rect.top, rect.right, rect.bottom}, nullptr, 0, kImageWindowClass)) {
    return false;
  }
  SetIcon(icon_);
  return true;
}

void CImageWindow::SetIcon(HICON icon) {
  icon_ = icon;
  if (!hwnd()) return;
  SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool CImageWindow::ShowFile(const std::wstring& path, bool fit, HWND mainWindow) {
  path_ = path;
  if (!hwnd() || !platform::IsExistingFile(FromWide(path))) return false;
  const std::wstring caption = title_.empty() ? ToWide(pictures::FileNamePart(FromWide(path))) : title_;
  SetWindowTextW(hwnd(), caption.c_str());
  if (fit) FitToPicture(mainWindow);
  Refit();
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  return true;
}

void CImageWindow::FitToPicture(HWND mainWindow) {
  const auto size = pictures::MeasurePicture(path_);
  if (!size || size->width <= 0 || size->height <= 0) return;
  RECT window{}, client{};
  GetWindowRect(hwnd(), &window);
  GetClientRect(hwnd(), &client);
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  const pictures::FrameSizes frame{client.left - window.left, client.top - window.top, window.right - client.right,
                                   window.bottom - client.bottom};
  const layout::Box placed = pictures::FitWindowToPicture(ToBox(window), frame, *size, WorkAreaFor(mainWindow));
  MoveWindow(hwnd(), placed.left, placed.top, placed.Width(), placed.Height(), TRUE);
}

void CImageWindow::Refit() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  picture_.SetTargetSize(client.right, client.bottom);
  if (picture_.Load(path_) && picture_.fromDecoder()) picture_.Sharpen();
}

void CImageWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT client{};
  GetClientRect(hwnd(), &client);
  // Drawn off screen and copied in one go, so nothing flickers.
  HDC buffer = CreateCompatibleDC(dc);
  HBITMAP surface = CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
  HGDIOBJ oldSurface = SelectObject(buffer, surface);
  FillRect(buffer, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const layout::Size size = picture_.size();
  if (size.width > 0 && size.height > 0) {
    const int left = client.right / 2 - size.width / 2, top = client.bottom / 2 - size.height / 2;
    picture_.Draw(buffer, left, top);
    HBRUSH grey = CreateSolidBrush(kFrameGrey);
    const RECT frame{left, top, left + size.width, top + size.height};
    FrameRect(buffer, &frame, grey);
    DeleteObject(grey);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, buffer, 0, 0, SRCCOPY);
  SelectObject(buffer, oldSurface);
  DeleteObject(surface);
  DeleteDC(buffer);
  EndPaint(hwnd(), &ps);
}

LRESULT CImageWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_SIZE:
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    case WM_EXITSIZEMOVE:
      Refit();
      InvalidateRect(hwnd(), nullptr, FALSE);
      return 0;
    default:
      return win::Window::HandleMessage(message, wParam, lParam);
  }
}

void CImageWindow::OnFinalMessage() {
  if (onDestroyed_) onDestroyed_(this);
}

}  // namespace zp::fscommand
