#include "services/process_finder.h"

#include <windows.h>
#include <tlhelp32.h>

#include <optional>
#include <vector>

#include "core/support/perf_data.h"
#include "core/text.h"
#include "framework/unique_handle.h"
#include "platform/wide.h"

namespace zp::services {
namespace {

// The performance data of every process is large; more than this is not waited for.
constexpr DWORD kPerfDataLimit = 64u << 20;
constexpr DWORD kPerfDataFirst = 64u << 10, kPerfDataStep = 32u << 10;

std::wstring FileTitle(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p; ++p) {
    if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
  }
  std::wstring title = name;
  if (const size_t dot = title.rfind(L'.'); dot != std::wstring::npos) title.resize(dot);
  return title;
}

ProcessQuery BySnapshot(const std::wstring& name) {
  win::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return {};
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  ProcessQuery query{true, false};
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
    if (EqualsNoCase(FromWide(FileTitle(entry.szExeFile)), FromWide(name))) {
      query.found = true;
      break;
    }
  }
  return query;
}

// The value as raw bytes; empty when it is missing or of another type.
std::vector<uint8_t> ReadMultiString(HKEY key, const wchar_t* name) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_MULTI_SZ) return {};
  std::vector<uint8_t> bytes(size);
  if (RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS) return {};
  bytes.resize(size);
  return bytes;
}

std::optional<uint32_t> ProcessObjectIndex() {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"software\\microsoft\\windows nt\\currentversion\\perflib\\009", 0,
                    KEY_READ, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const win::UniqueKey key(opened);
  // Older systems call the list "Counters", newer ones "Counter".
  std::vector<uint8_t> counters = ReadMultiString(key.get(), L"Counters");
  if (counters.empty()) counters = ReadMultiString(key.get(), L"Counter");
  return support::FindCounterIndex(counters, u"Process");
}

}  // namespace

ProcessQuery IsProcessRunningByPerformanceData(const std::wstring& name) {
  const auto index = ProcessObjectIndex();
  if (!index) return {};
  const std::wstring valueName = std::to_wstring(*index);
  std::vector<uint8_t> data(kPerfDataFirst);
  LONG status = ERROR_MORE_DATA;
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());  // each query is told the whole buffer again
    status = RegQueryValueExW(HKEY_PERFORMANCE_DATA, valueName.c_str(), nullptr, nullptr, data.data(), &size);
    if (status == ERROR_SUCCESS) {
      data.resize(size);
      break;
    }
    if (status != ERROR_MORE_DATA || data.size() + kPerfDataStep > kPerfDataLimit) break;
    data.resize(data.size() + kPerfDataStep);
  }
  RegCloseKey(HKEY_PERFORMANCE_DATA);
  if (status != ERROR_SUCCESS) return {};
  switch (support::FindProcessInstance(data, *index, FromWide(name))) {
    case support::ProcessAnswer::kRunning:
      return {true, true};
    case support::ProcessAnswer::kNotRunning:
      return {true, false};
    default:
      return {};
  }
}

ProcessQuery IsProcessRunning(const std::wstring& name) {
  const ProcessQuery query = BySnapshot(name);
  return query.ok ? query : IsProcessRunningByPerformanceData(name);
}

}  // namespace zp::services
