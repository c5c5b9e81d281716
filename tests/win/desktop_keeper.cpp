// Keeps Wine's desktop process for the whole test run. The first program that touches the
// desktop starts that process, which inherits the program's output; a test runner waits for
// that output to close, so a desktop process started by a test, and kept alive for a minute by
// what the test asked of the shell, holds the runner long after the test has passed. Started
// first, with its output nowhere, this program is the one that starts it. It ends with the
// wineserver.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  GetDesktopWindow();
  Sleep(INFINITE);
  return 0;
}
