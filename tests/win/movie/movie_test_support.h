// Shared set-up of the movie control tests: COM on the test thread, the control registered
// through regsvr32, and test movies written to a scratch folder.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "pump_until.h"
#include "swf_writer.h"

namespace zp::test {

// The control DLL beside the test program.
std::wstring ControlPath();
// Runs a program with a command line and waits; returns its exit code, or -1.
DWORD RunAndWait(const std::wstring& commandLine, DWORD timeoutMs = 60000);
// regsvr32 /s [/u] "path"; true on exit code 0.
bool Regsvr32(const std::wstring& path, bool unregister);
// The InprocServer32 path registered for the class, or "" when none.
std::wstring RegisteredServerPath();
// A movie of width × height pixels: an opaque red 50-pixel square in the top-left corner of an
// otherwise empty stage, one FSCommand, then it stops.
zp::swfgen::Bytes RedSquareMovie(int width, int height, const char* command, const char* arguments);
// Writes a movie into `path`.
bool WriteMovie(const std::wstring& path, const zp::swfgen::Bytes& bytes);

}  // namespace zp::test
