#include "movie_test_support.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <optional>
#include <vector>

#include "common/movie_ids.h"
#include "framework/ole_scope.h"

namespace zp::test {

std::wstring ControlPath() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path(buffer, length);
  path.resize(path.find_last_of(L'\\') + 1);
  return path + L"ZentraMovie.ocx";
}

DWORD RunAndWait(const std::wstring& commandLine, DWORD timeoutMs) {
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return static_cast<DWORD>(-1);
  }
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

bool Regsvr32(const std::wstring& path, bool unregister) {
  return RunAndWait(std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" + path + L"\"") == 0;
}

std::wstring RegisteredServerPath() {
  wchar_t clsid[64];
  StringFromGUID2(zp::movie::kMovieControlClsid, clsid, 64);
  const std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
  wchar_t value[MAX_PATH * 2] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return L"";
  }
  return value;
}

bool WriteMovie(const std::wstring& path, const zp::swfgen::Bytes& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size();
  CloseHandle(file);
  return ok;
}

namespace {

// COM for the test thread and the control registered, before any test runs.
class MovieControlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ole_.emplace();
    ASSERT_TRUE(ole_->initialized()) << std::hex << ole_->result();
    ASSERT_TRUE(Regsvr32(ControlPath(), false)) << "regsvr32 could not register the control";
  }
  void TearDown() override { ole_.reset(); }

 private:
  std::optional<win::OleScope> ole_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new MovieControlEnvironment);

}  // namespace

zp::swfgen::Bytes RedSquareMovie(int width, int height, const char* command, const char* arguments) {
  zp::swfgen::MovieWriter m(6, width, height, 12);
  zp::swfgen::ActionWriter a;
  a.FsCommand(command, arguments).Stop();
  m.DefineRect(1, {0, 0, 50 * 20, 50 * 20}, {255, 0, 0, 255}).Place(1, 1).Actions(a).ShowFrame();
  return m.Finish(false);
}

}  // namespace zp::test
