#include "splash/launch_player.h"

#include <shellapi.h>

#include <algorithm>

#include "common/splash_constants.h"
#include "core/splash/autorun_file.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::splash {

namespace {

// Autorun files that are not Unicode are in the system's code page, as the system reads them.
std::u16string CodePageText(std::span<const uint8_t> bytes) {
  const char* narrow = reinterpret_cast<const char*>(bytes.data());
  const int size = static_cast<int>(bytes.size());
  const int needed = MultiByteToWideChar(CP_ACP, 0, narrow, size, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring text(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(CP_ACP, 0, narrow, size, text.data(), needed);
  return FromWide(text);
}

}  // namespace

std::optional<std::wstring> AutorunProgram(const std::wstring& folder) {
  platform::MappedFile file;
  const size_t size = file.Map(FromWide(folder + L"\\autorun.inf"));
  if (size == 0 || size > kMaxAutorunFileSize) return std::nullopt;
  const auto unicode = DecodeUnicodeIniText(file.bytes());
  const std::u16string text = unicode ? *unicode : CodePageText(file.bytes());
  const auto program = AutorunProgramPath(FromWide(folder), text, FromWide(kAutorunPlayerKey));
  if (!program) return std::nullopt;
  return ToWide(*program);
}

LaunchedPlayer LaunchPlayer(HWND owner, const std::wstring& folder) {
  LaunchedPlayer launched;
  const auto program = AutorunProgram(folder);
  // An empty value would name the folder itself, which the shell would open in a window.
  if (!program || !platform::IsExistingFile(FromWide(*program))) return launched;

  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = owner;
  info.lpVerb = L"open";
  info.lpFile = program->c_str();
  info.nShow = SW_SHOW;
  const BOOL ok = ShellExecuteExW(&info);
  // The code and the result agree on every system we know; the result decides if they do not.
  const INT_PTR code = reinterpret_cast<INT_PTR>(info.hInstApp);
  launched.shellResult = ok ? std::max<INT_PTR>(code, 33) : std::min<INT_PTR>(code, SE_ERR_NOASSOC);
  launched.process.reset(info.hProcess);
  return launched;
}

}  // namespace zp::splash
