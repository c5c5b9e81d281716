#include "services/background_sound.h"

#include <windows.h>
#include <vfw.h>

#include <iterator>

#include "framework/library_loading.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::services {

namespace {

// A child of the hidden window that tells it where playing has got to, shows no menu and no
// error dialogs, and offers no Open command.
constexpr DWORD kMciWindowStyle = WS_CHILD | MCIWNDF_NOMENU | MCIWNDF_NOTIFYPOS | MCIWNDF_NOERRORDLG | MCIWNDF_NOOPEN;

// Whether the MCI window's device opened: it has one and it is ready. Some MCI windows keep a
// device number after a failed open, and report errors of later commands a driver does not
// know, so neither tells on its own.
bool DeviceOpened(HWND mci) {
  if (SendMessageW(mci, MCIWNDM_GETDEVICEID, 0, 0) == 0) return false;
  wchar_t mode[64] = {};
  const LRESULT code = SendMessageW(mci, MCIWNDM_GETMODEW, std::size(mode), reinterpret_cast<LPARAM>(mode));
  return code != 0 && code != MCI_MODE_NOT_READY;
}

}  // namespace

MciWindowFactory SystemMciWindows() {
  return [](HWND parent, const std::wstring& path) -> HWND {
    using CreateFunction = HWND(WINAPIV*)(HWND, HINSTANCE, DWORD, LPCWSTR);
    static const CreateFunction create = [] {
      // Kept loaded for the rest of the process: its MCI windows may outlive any one player.
      HMODULE library = win::LoadSystemLibrary(L"msvfw32.dll");
      return library ? reinterpret_cast<CreateFunction>(
                           reinterpret_cast<void*>(GetProcAddress(library, "MCIWndCreateW")))
                     : nullptr;
    }();
    return create ? create(parent, win::ModuleInstance(), kMciWindowStyle, path.c_str()) : nullptr;
  };
}

BackgroundSoundPlayer::BackgroundSoundPlayer(MciWindowFactory factory) : factory_(std::move(factory)) {}

BackgroundSoundPlayer::~BackgroundSoundPlayer() { CloseMciWindow(); }

bool BackgroundSoundPlayer::Create() {
  if (hwnd()) return true;
  return win::Window::Create(0, L"", WS_POPUP, 0, 0, 10, 10, nullptr);
}

bool BackgroundSoundPlayer::Open(const std::wstring& path) {
  if (!hwnd() || !platform::IsExistingFile(FromWide(path)) || !factory_) return false;
  HWND opened = factory_(hwnd(), path);
  if (!opened) return false;
  // The MCI window exists even when it could open nothing.
  if (!DeviceOpened(opened)) {
    DestroyWindow(opened);
    return false;
  }
  CloseMciWindow();
  mciWindow_ = opened;
  path_ = path;
  length_ = static_cast<long>(SendMessageW(mciWindow_, MCIWNDM_GETLENGTH, 0, 0));
  SendMessageW(mciWindow_, MCI_PLAY, 0, 0);
  return true;
}

void BackgroundSoundPlayer::Pause() {
  if (mciWindow_) SendMessageW(mciWindow_, MCI_PAUSE, 0, 0);
}

// Playing from the current position goes on where Pause stopped on every device; MCI_RESUME
// does not (MIDI sequencers refuse it, and the sound would stay silent).
LRESULT BackgroundSoundPlayer::Resume() { return mciWindow_ ? SendMessageW(mciWindow_, MCI_PLAY, 0, 0) : 0; }

void BackgroundSoundPlayer::OnPosition(HWND from, long position) {
  if (!mciWindow_ || from != mciWindow_ || !loop_ || length_ <= 0) return;
  // Notifications come at intervals, so the last one may lie past the end rather than on it;
  // at the end playing would start from there, so go back to the start first.
  if (position < length_) return;
  SendMessageW(mciWindow_, MCI_SEEK, 0, MCIWND_START);
  SendMessageW(mciWindow_, MCI_PLAY, 0, 0);
}

void BackgroundSoundPlayer::CloseMciWindow() {
  if (mciWindow_ && IsWindow(mciWindow_)) DestroyWindow(mciWindow_);
  mciWindow_ = nullptr;
  length_ = 0;
}

LRESULT BackgroundSoundPlayer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case MCIWNDM_NOTIFYPOS:
      OnPosition(reinterpret_cast<HWND>(wParam), static_cast<long>(lParam));
      return 0;
    case WM_DESTROY:
      // The MCI window goes with this one.
      mciWindow_ = nullptr;
      length_ = 0;
      return DefaultHandling(message, wParam, lParam);
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace zp::services
