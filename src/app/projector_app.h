// The player's application object: one per process, a static object in the program. It owns
// the document (whose temporary directory exists from static construction to static
// destruction) and carries the whole run in `Start`.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "framework/application.h"
#include "package/gdiplus_session.h"
#include "package/projector_document.h"

namespace zp {

class ProjectorApp : public win::Application {
 public:
  ProjectorApp() = default;

  // Runs the player. Returns false whenever it returns (the player has no run loop of its
  // own); `exitCode()` then tells how the run ended: 1 when the program's own file holds no
  // loadable document, else 0.
  bool Start() override;
  // Releases what start-up acquired and returns the process exit code.
  int Exit() override;

  // Runs the prerequisite checks on the loaded document; false when the run is to end.
  bool CheckPrerequisites();
  // Finds the document record in the file and loads it; false when there is none or it does
  // not load.
  bool LoadDocumentFromPackage(const std::wstring& programPath);

  ProjectorDocument document;
  std::wstring controlFilePath;  // the transparency control registered at start-up, if any
  bool showInTaskbar = true;     // derived from the loaded document
  int exitCode() const { return exitCode_; }

 private:
  std::optional<GdiplusSession> gdiplus_;  // from start-up to exit
};

}  // namespace zp
