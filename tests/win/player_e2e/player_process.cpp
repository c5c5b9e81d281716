#include "player_process.h"

#include <vector>

#include "core/document/document_archive.h"
#include "core/package_format.h"
#include "core/package_writer.h"
#include "core/temp_files.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::e2e {

namespace {

std::u16string BesideThisProgram(std::u16string_view name) { return JoinPath(ProgramDirectory(), name); }

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (owner == search->processId && IsWindowVisible(window) && std::wstring(className) == L"#32770") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::u16string PackPlayer(const DocumentModel& document, const test::ScratchDirectory& directory,
                          std::u16string_view name) {
  auto player = test::ReadBytes(BesideThisProgram(u"Projector.exe"));
  auto library = test::ReadBytes(BesideThisProgram(u"CommonResources.dll"));
  if (!player || !library) return {};
  std::vector<uint8_t> archive = WriteDocumentArchive(document);
  std::vector<uint8_t> record = MakeFileRecord(kResourceLibraryTag, u"CommonResources.dll", *library);
  std::vector<uint8_t> bytes = test::Concat({*player, record, archive});
  const std::u16string path = directory.File(name);
  return test::WriteBytes(path, bytes) ? path : std::u16string();
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() > deadline) return false;
    Sleep(20);
  }
}

PlayerProcess::~PlayerProcess() {
  if (process_.hProcess) {
    if (running()) TerminateProcess(process_.hProcess, 99);
    WaitForSingleObject(process_.hProcess, 5000);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
}

bool PlayerProcess::Start(const std::u16string& program) {
  std::wstring commandLine = L"\"" + ToWide(program) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_) != 0;
}

bool PlayerProcess::running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND PlayerProcess::WaitForWindow(DWORD timeoutMs) {
  Search search{process_.dwProcessId, nullptr};
  WaitFor([&] {
    EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr || !running();
  }, timeoutMs);
  return search.found;
}

std::optional<DWORD> PlayerProcess::WaitForExit(DWORD timeoutMs) {
  if (!process_.hProcess || WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

WindowFacts LookAt(HWND window) {
  WindowFacts facts;
  GetWindowRect(window, &facts.rect);
  facts.style = GetWindowLongPtrW(window, GWL_STYLE);
  facts.exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(window, region) != ERROR) {
    facts.hasRegion = true;
    GetRgnBox(region, &facts.regionBox);
  }
  DeleteObject(region);
  facts.owner = GetWindow(window, GW_OWNER);
  facts.visible = IsWindowVisible(window) != 0;
  return facts;
}

}  // namespace zp::e2e
