// A small extension library for the dispatcher's tests, built twice as TestAFSCmd.dll and
// TestBFSCmd.dll (LIBRARY_TAG "A" or "B"); only B exports FSOnlyB.
#include "zentra_fscmd.h"

namespace {
BSTR Text(const wchar_t* text) { return SysAllocString(text); }
}  // namespace

ZENTRA_FSCOMMAND(WhoAmI) { return Text(L"|" LIBRARY_TAG); }
ZENTRA_FSCOMMAND(Pair) { return Text(L"|ok|1|2"); }
ZENTRA_FSCOMMAND(LoneSeparator) { return Text(L"|"); }
ZENTRA_FSCOMMAND(Null) { return nullptr; }
ZENTRA_FSCOMMAND(BlankSeparated) { return Text(L"   1   640  480"); }
ZENTRA_FSCOMMAND(LeadingEmpty) { return Text(L",,y"); }
ZENTRA_FSCOMMAND(Echo) {
  // Returns the argument text behind a "|" separator, so that a test sees what arrived.
  const int length = lstrlenW(arguments);
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length + 1));
  if (!result) return nullptr;
  result[0] = L'|';
  for (int i = 0; i < length; ++i) result[i + 1] = arguments[i];
  return result;
}
ZENTRA_FSCOMMAND(WindowSetHandle) {
  const int length = lstrlenW(arguments);
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length + 2));
  if (!result) return nullptr;
  result[0] = L'|';
  result[1] = L'h';
  for (int i = 0; i < length; ++i) result[i + 2] = arguments[i];
  return result;
}
#ifdef ONLY_B
ZENTRA_FSCOMMAND(OnlyB) { return Text(L"|B"); }
#endif

extern "C" BOOL WINAPI TestFsCmdEntry(HINSTANCE, DWORD, void*) { return TRUE; }
