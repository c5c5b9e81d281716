#include "registration.h"

#include <objbase.h>
#include <olectl.h>

#include "common/movie_ids.h"

namespace zp::movie {
namespace {

std::wstring ClsidText(const ControlClass& control) {
  wchar_t text[64] = {};
  StringFromGUID2(control.clsid, text, 64);
  return text;
}

// Sets a string value (`name` null = the default value) under root\path, creating the key.
LONG SetString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return status;
  status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status;
}

LONG RegisterUnder(HKEY classes, const ControlClass& control, const std::wstring& modulePath) {
  const std::wstring clsid = L"CLSID\\" + ClsidText(control);
  const std::wstring progId = control.progId;
  const std::wstring className = control.name;
  struct Entry {
    std::wstring path;
    const wchar_t* name;
    std::wstring value;
  };
  const Entry entries[] = {
      {clsid, nullptr, className},
      {clsid + L"\\InprocServer32", nullptr, modulePath},
      {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {clsid + L"\\ProgID", nullptr, progId + L".1"},
      {clsid + L"\\VersionIndependentProgID", nullptr, progId},
      {clsid + L"\\Control", nullptr, L""},
      {clsid + L"\\MiscStatus", nullptr, L"0"},
      {clsid + L"\\MiscStatus\\1", nullptr, L"131473"},  // the status GetMiscStatus reports
      {clsid + L"\\Verb\\0", nullptr, L"Properties,0,2"},
      {progId, nullptr, className},
      {progId + L"\\CLSID", nullptr, ClsidText(control)},
      {progId + L"\\CurVer", nullptr, progId + L".1"},
      {progId + L".1", nullptr, className},
      {progId + L".1\\CLSID", nullptr, ClsidText(control)},
  };
  for (const Entry& e : entries) {
    const LONG status = SetString(classes, e.path, e.name, e.value);
    if (status != ERROR_SUCCESS) return status;
  }
  return ERROR_SUCCESS;
}

void RemoveUnder(HKEY root, const wchar_t* classesPath, const ControlClass& control) {
  HKEY classes = nullptr;
  if (RegOpenKeyExW(root, classesPath, 0, KEY_ALL_ACCESS, &classes) != ERROR_SUCCESS) return;
  const std::wstring progId = control.progId;
  RegDeleteTreeW(classes, (L"CLSID\\" + ClsidText(control)).c_str());
  RegDeleteTreeW(classes, progId.c_str());
  RegDeleteTreeW(classes, (progId + L".1").c_str());
  RegCloseKey(classes);
}

HKEY OpenClasses(HKEY root) {
  HKEY classes = nullptr;
  if (RegCreateKeyExW(root, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classes, nullptr) !=
      ERROR_SUCCESS) {
    return nullptr;
  }
  return classes;
}

}  // namespace

HRESULT RegisterControlClass(const ControlClass& control, const std::wstring& modulePath) {
  LONG status = ERROR_ACCESS_DENIED;
  if (HKEY machine = OpenClasses(HKEY_LOCAL_MACHINE)) {
    status = RegisterUnder(machine, control, modulePath);
    RegCloseKey(machine);
    if (status == ERROR_SUCCESS) return S_OK;
    RemoveUnder(HKEY_LOCAL_MACHINE, L"Software\\Classes", control);  // no half-written registration
  }
  if (HKEY user = OpenClasses(HKEY_CURRENT_USER)) {
    status = RegisterUnder(user, control, modulePath);
    RegCloseKey(user);
    if (status == ERROR_SUCCESS) return S_OK;
    RemoveUnder(HKEY_CURRENT_USER, L"Software\\Classes", control);
  }
  return status == ERROR_ACCESS_DENIED ? SELFREG_E_CLASS : HRESULT_FROM_WIN32(status);
}

HRESULT UnregisterControlClass(const ControlClass& control) {
  RemoveUnder(HKEY_LOCAL_MACHINE, L"Software\\Classes", control);
  RemoveUnder(HKEY_CURRENT_USER, L"Software\\Classes", control);
  return S_OK;
}

}  // namespace zp::movie
