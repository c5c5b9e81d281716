#include "player/movie_control.h"

#include "common/movie_ids.h"
#include "core/colour.h"
#include "core/layout/player_options.h"
#include "core/temp_files.h"
#include "framework/application.h"
#include "framework/topmost.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "services/support_components.h"

namespace zp::player {
namespace {

CMovieControl* theMovieControl = nullptr;

}  // namespace

bool CMovieControl::offerInstall = true;

const wchar_t* QualityText(int mode) {
  switch (mode) {
    case layout::kHostQualityMedium:
      return L"1";
    case layout::kHostQualityLow:
      return L"0";
    default:
      return L"2";
  }
}

CMovieControl::CMovieControl() { theMovieControl = this; }

CFlashMovieCtrl& CMovieControl::Ctrl() {
  return transparentHost_ ? static_cast<CFlashMovieCtrl&>(transparentHost_->view().ocx()) : flashCtrl_;
}

CMovieControl::~CMovieControl() {
  if (theMovieControl == this) theMovieControl = nullptr;
}

bool CMovieControl::CreateControl(HWND parent, bool transparent, const RECT& rect) {
  movieLoaded_ = false;
  parentWindow_ = parent;
  transparent_ = transparent;
  if (transparent_) {
    // Start-up made sure the transparency control is in place; its installer is not ours to run.
    auto host = std::make_unique<TransparentFrame>();
    if (!host->Create(rect)) return false;
    transparentHost_ = std::move(host);
    transparentHost_->view().SetListener(listener_);
    transparentHost_->view().SetDragRegionTest(dragRegionTest_);
    created_ = true;
    ApplyAllowScale(allowScale_);
    return true;
  }
  bool ok = flashCtrl_.Create(parent, rect, 0);
  if (!ok) {
    if (!offerInstall) return false;
    offerInstall = false;
    RunFlashInstaller();
    ok = flashCtrl_.Create(parent, rect, 0);
    if (!ok) return false;
  }
  created_ = true;
  ApplyAllowScale(allowScale_);
  if (staticEdge_) {
    if (HWND window = flashCtrl_.GetSafeHwnd()) {
      SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) | WS_EX_STATICEDGE);
      SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
  }
  SetBackgroundColour(backgroundColour_);
  return true;
}

void CMovieControl::RunFlashInstaller() {
  const std::wstring installer = ToWide(ProgramDirectory()) + L"\\InstallFlashPlayer.exe";
  if (platform::IsExistingFile(FromWide(installer))) services::RunAndWaitResponsive(installer, L"");
  HWND main = parentWindow_ ? GetAncestor(parentWindow_, GA_ROOT) : nullptr;
  if (main) {
    // In and out of the topmost band: back in front of the installer's windows.
    win::SetTopmostWithOwnedWindows(main, true);
    win::SetTopmostWithOwnedWindows(main, false);
  }
}

bool CMovieControl::LoadMovie(const std::wstring& path) {
  if (!created_ || !platform::IsExistingFile(FromWide(path))) return false;
  if (backgroundColour_ == -1) {
    if (!transparent_) flashCtrl_.BGColor(L"");
  } else {
    SetBackgroundColour(backgroundColour_);
  }
  UnloadMovie();
  moviePath_ = path;
  Ctrl().PutMovie(path);
  movieLoaded_ = true;
  return true;
}

void CMovieControl::UnloadMovie() {
  moviePath_.clear();
  if (created_) Ctrl().PutMovie(L" ");
  movieLoaded_ = false;
}

void CMovieControl::SetBase(const std::wstring& path) {
  if (created_ && !path.empty()) Ctrl().Base(path);
}

void CMovieControl::SetAllowScale(bool allow) {
  if (theMovieControl) theMovieControl->ApplyAllowScale(allow);
}

void CMovieControl::ApplyAllowScale(bool allow) {
  allowScale_ = allow;
  if (created_ && GetControlWindow()) Ctrl().ScaleMode(allow ? movie::kScaleShowAll : movie::kScaleNoScale);
}

void CMovieControl::SetBackgroundColour(long colour) {
  backgroundColour_ = colour;
  // The window keeps the system's 0x00BBGGRR; the control takes 0xRRGGBB.
  if (created_ && !transparent_ && colour != -1)
    flashCtrl_.BackgroundColor(static_cast<long>(SwapRedBlue(static_cast<uint32_t>(colour))));
}

void CMovieControl::SetZoomRect(const RECT& twips) {
  if (created_) Ctrl().SetZoomRect(twips.left, twips.top, twips.right, twips.bottom);
}

bool CMovieControl::IsReady() const {
  return created_ && (transparentHost_ ? transparentHost_->view().loaded() : flashCtrl_.movieReady);
}
void CMovieControl::ResetReady(int) {
  if (created_) Ctrl().movieReady = false;
}

void CMovieControl::MoveControl(const RECT& rect, bool repaint) {
  if (HWND window = GetControlWindow()) {
    MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
  }
}

HWND CMovieControl::GetControlWindow() const {
  if (!created_) return nullptr;
  return transparentHost_ ? transparentHost_->hwnd() : flashCtrl_.GetSafeHwnd();
}

void CMovieControl::SetListener(HostListener listener) {
  listener_ = std::move(listener);
  if (transparentHost_) transparentHost_->view().SetListener(listener_);
}

void CMovieControl::SetDragRegionTest(std::function<bool(POINT)> test) {
  dragRegionTest_ = std::move(test);
  if (transparentHost_) transparentHost_->view().SetDragRegionTest(dragRegionTest_);
}

void CMovieControl::Destroy() {
  if (!created_) return;
  flashCtrl_.Destroy();
  flashCtrl_.movieReady = false;
  transparentHost_.reset();
  created_ = false;
}

void CMovieControl::FitMovieToWindow(int movieWidth, int movieHeight) {
  if (!parentWindow_ || !IsWindow(parentWindow_) || !GetControlWindow() || movieWidth <= 0 || movieHeight <= 0)
    return;
  RECT client{};
  GetClientRect(parentWindow_, &client);
  const int w = client.right - client.left, h = client.bottom - client.top;
  const int xPercent = (w * 100 + movieWidth / 2) / movieWidth;
  const int yPercent = (h * 100 + movieHeight / 2) / movieHeight;
  SetZoomRect(RECT{0, 0, w * kTwipsPerPixel, h * kTwipsPerPixel});
  SetMovieScale(xPercent, yPercent);
}

void CMovieControl::SetMovieScale(int xPercent, int yPercent) {
  if (!created_) return;
  Ctrl().TSetProperty(L"/", movie::kPropertyXScale, std::to_wstring(xPercent));
  Ctrl().TSetProperty(L"/", movie::kPropertyYScale, std::to_wstring(yPercent));
}

std::pair<int, int> CMovieControl::GetMouseInMovie() {
  if (!created_) return {0, 0};
  return {static_cast<int>(wcstol(Ctrl().TGetProperty(L"/", movie::kPropertyXMouse).c_str(), nullptr, 10)),
          static_cast<int>(wcstol(Ctrl().TGetProperty(L"/", movie::kPropertyYMouse).c_str(), nullptr, 10))};
}

void CMovieControl::SetQuality(int mode) {
  if (created_) Ctrl().TSetProperty(L"/", movie::kPropertyHighQuality, QualityText(mode));
}

void CMovieControl::SetFullScreen(bool on, HWND window) {
  if (theMovieControl) theMovieControl->ApplyFullScreen(on, window);
}

void CMovieControl::ApplyFullScreen(bool on, HWND window) {
  if (!window || !IsWindow(window)) {
    const auto* application = win::Application::Current();
    window = application && application->mainWindow() ? application->mainWindow()
             : parentWindow_                          ? GetAncestor(parentWindow_, GA_ROOT)
                                                      : nullptr;
  }
  // Leaving restores the window that went full screen, whatever window is named now.
  if (on && !fullScreen_.IsOn()) fullScreenWindow_ = window;
  fullScreen_.Set(on ? window : fullScreenWindow_, on);
}

}  // namespace zp::player
