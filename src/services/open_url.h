// Opening a web or mail address in the user's own programs: the shell first; when it refuses,
// the program registered for web pages, started by its full path with the address as one
// quoted argument.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace zp::services {

// What opening an address asks of the system; tests give their own.
struct UrlSystem {
  // The shell's "open" on the address with the show command; greater than 32 is success.
  std::function<INT_PTR(const std::wstring& address, int show)> shellOpen;
  // Where the web page document class and its open command are registered.
  HKEY classesRoot = HKEY_CLASSES_ROOT;
};
UrlSystem SystemUrlSystem();

// Greater than 32 when the address was handed to a program; otherwise the shell's error, or
// the error of starting the registered browser when the shell refused and a browser is
// registered.
INT_PTR OpenUrl(const std::wstring& address, int show);
INT_PTR OpenUrl(const std::wstring& address, int show, const UrlSystem& system);

}  // namespace zp::services
