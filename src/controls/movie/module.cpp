// The DLL's entry points: the class factory, unloading, and self-registration.
#include "module.h"

#include <objbase.h>
#include <olectl.h>

#include <new>
#include <string>

#include "movie_control.h"
#include "common/movie_ids.h"
#include "movie_window.h"
#include "registration.h"

namespace zp::movie {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_users = 0;  // live objects and server locks

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(Flavor flavor) : flavor_(flavor) {}
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    return E_NOINTERFACE;
  }
  // The factory is a static object; its references only keep the module loaded.
  STDMETHODIMP_(ULONG) AddRef() override {
    ModuleAddRef();
    return 2;
  }
  STDMETHODIMP_(ULONG) Release() override {
    ModuleRelease();
    return 1;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return MovieControl::Create(flavor_, iid, out);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      ModuleAddRef();
    } else {
      ModuleRelease();
    }
    return S_OK;
  }

 private:
  Flavor flavor_;
};

ClassFactory g_movieFactory(Flavor::kWindowed);
ClassFactory g_twinFactory(Flavor::kWindowless);

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }
void ModuleAddRef() { InterlockedIncrement(&g_users); }
void ModuleRelease() { InterlockedDecrement(&g_users); }
bool ModuleInUse() { return g_users > 0; }

}  // namespace zp::movie

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    zp::movie::g_instance = instance;
    DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary: a later load may sit at another address, so the window
    // classes that point into this copy must go.
    zp::movie::UnregisterWindowClasses();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid == zp::movie::kMovieControlClsid) return zp::movie::g_movieFactory.QueryInterface(iid, out);
  if (clsid == zp::movie::kFernwikClsid) return zp::movie::g_twinFactory.QueryInterface(iid, out);
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return zp::movie::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() {
  const std::wstring path = zp::movie::ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  return zp::movie::RegisterControlClass(zp::movie::kRegisteredClass, path);
}

STDAPI DllUnregisterServer() { return zp::movie::UnregisterControlClass(zp::movie::kRegisteredClass); }

}  // extern "C"
