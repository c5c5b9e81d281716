// The player's application object: one per process, a static object in the program. It owns
// the document (whose temporary directory exists from static construction to static
// destruction) and carries the whole run in `Start`.
#pragma once

#include <windows.h>

#include <string>

#include "framework/application.h"
#include "package/projector_document.h"

namespace zp {

// The registry key under HKEY_CURRENT_USER\Software that holds the player's profile values:
// the vendor key, a backslash and "ZentrapolisProjector".
inline constexpr wchar_t kVendorKey[] = L"Zentrapolis";
inline constexpr wchar_t kApplicationKey[] = L"ZentrapolisProjector";

class ProjectorApp : public win::Application {
 public:
  ProjectorApp() = default;

  // Runs the player. Returns false whenever it returns (the player has no run loop of its
  // own); `exitCode()` then tells how the run ended: 1 when the program's own file holds no
  // loadable document, else 0.
  bool Start() override;
  // Releases what start-up acquired and returns the process exit code.
  int Exit() override;

  // Finds the document record in the file and loads it; false when there is none or it does
  // not load.
  bool LoadDocumentFromPackage(const std::wstring& programPath);

  ProjectorDocument document;
  std::wstring controlFilePath;  // the transparency control registered at start-up, if any
  bool showInTaskbar = true;     // derived from the loaded document
  int exitCode() const { return exitCode_; }
  // The profile key set in step 6 of start-up: the vendor key, a backslash and the product.
  static std::wstring RegistryKey();

 private:
  ULONG_PTR gdiplusToken_ = 0;
  bool gdiplusStarted_ = false;
};

}  // namespace zp
