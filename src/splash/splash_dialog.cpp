#include "splash/splash_dialog.h"

#include "common/splash_constants.h"
#include "core/splash/splash_paths.h"
#include "core/splash/splash_placement.h"
#include "curtainer_ids.h"
#include "framework/application.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::splash {

namespace {

layout::Size SizeOf(const RECT& rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }

}  // namespace

SplashDialog::SplashDialog(std::wstring folder, PreloaderSlot& slot, WaitBounds bounds)
    : folder_(std::move(folder)), slot_(slot), bounds_(bounds) {}

SplashDialog::~SplashDialog() {
  Destroy();
  if (memoryDc_) {
    SelectObject(memoryDc_, replacedBitmap_);
    DeleteDC(memoryDc_);
  }
}

BOOL SplashDialog::OnInitDialog() {
  if (auto* application = win::Application::Current()) application->SetMainWindow(hwnd());
  picture_.Subclass(GetDlgItem(hwnd(), IDC_SPLASH_PICTURE));
  // Owned by a hidden window and without this style, the splash has no taskbar button.
  SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & ~WS_EX_APPWINDOW);

  // The player is started only once a picture is there to cover its start.
  if (ShowSplashPicture()) player_ = LaunchPlayer(hwnd(), folder_);
  if (player_.started()) {
    startTimer_.Prepare(hwnd(), kStartTimerId, kStartTimerMilliseconds);
    startTimer_.Start();
  } else {
    PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }
  return TRUE;
}

bool SplashDialog::ShowSplashPicture() {
  const std::u16string base =
      FromWide(folder_) + u"\\" + FileTitleOfPath(FromWide(kSplashPictureFile));
  for (const auto& candidate : SplashPictureCandidates(base)) {
    const std::wstring path = ToWide(candidate.path);
    if (!platform::IsExistingFile(FromWide(path))) continue;
    // A GIF that fails goes straight to the built-in picture, not to the later files.
    if (candidate.animated) {
      if (ShowAnimatedPicture(path)) return true;
      break;
    }
    if (UniqueBitmap bitmap = LoadFileToBitmap(path)) return ShowStillPicture(std::move(bitmap));
  }
  UniqueBitmap builtIn = LoadResourceToBitmap(IDR_SPLASH_PICTURE, L"JPEG");
  return builtIn && ShowStillPicture(std::move(builtIn));
}

bool SplashDialog::ShowAnimatedPicture(const std::wstring& path) {
  SetWindowTextW(picture_.hwnd(), L"");
  if (!picture_.LoadFromFile(path)) return false;
  SetWindowPos(picture_.hwnd(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FitClientToPicture(picture_.width(), picture_.height());
  CentreOnWorkArea();
  picture_.Draw();
  return true;
}

bool SplashDialog::ShowStillPicture(UniqueBitmap bitmap) {
  BITMAP info{};
  if (!GetObjectW(bitmap.get(), sizeof(info), &info)) return false;
  memoryDc_ = CreateCompatibleDC(nullptr);
  if (!memoryDc_) return false;
  splashBitmap_ = std::move(bitmap);
  replacedBitmap_ = SelectObject(memoryDc_, splashBitmap_.get());
  paintsBitmap_ = true;
  ShowWindow(picture_.hwnd(), SW_HIDE);
  // The client area, not the outer size, is the picture: all of it is seen.
  FitClientToPicture(info.bmWidth, info.bmHeight);
  CentreOnWorkArea();
  return true;
}

void SplashDialog::FitClientToPicture(int width, int height) {
  RECT outer{}, client{};
  GetWindowRect(hwnd(), &outer);
  GetClientRect(hwnd(), &client);
  const layout::Size size = OuterSizeForPicture({width, height}, SizeOf(outer), SizeOf(client));
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOACTIVATE);
}

void SplashDialog::CentreOnWorkArea() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  RECT area{};
  if (GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    area = monitor.rcWork;
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT outer{};
  GetWindowRect(hwnd(), &outer);
  const layout::Point place = CentredIn({area.left, area.top, area.right, area.bottom}, SizeOf(outer));
  SetWindowPos(hwnd(), nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool SplashDialog::PlayerEnded() const {
  return player_.process && WaitForSingleObject(player_.process.get(), 0) == WAIT_OBJECT_0;
}

void SplashDialog::OnStartTimer() {
  startTimer_.Stop();
  // The wait ends early when the splash is closed, or when the player has ended without a
  // word (a package it could not read): nothing would come any more.
  slot_.WaitForPlayerSignal([this] { return !ended() && IsWindow(hwnd()) && !PlayerEnded(); }, bounds_);
  if (!ended() && IsWindow(hwnd())) PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void SplashDialog::Paint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  if (paintsBitmap_) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memoryDc_, 0, 0, SRCCOPY);
  }
  EndPaint(hwnd(), &paint);
}

LRESULT SplashDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kStartTimerId) OnStartTimer();
      break;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_CLOSE:
      EndDialog(IDCANCEL);
      return 0;
    default:
      break;
  }
  return Dialog::HandleMessage(message, wParam, lParam);
}

}  // namespace zp::splash
