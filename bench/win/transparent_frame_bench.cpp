// One whole frame of the transparent host under Wine: the windowless twin draws an 800 × 600
// movie off screen, the alpha walk runs over it and the picture goes to the system. Reported
// in milliseconds, as a share of the frame period of a 24 fps movie (goal: at most a quarter),
// and as a ratio to copying the same pixels with memcpy, measured in the same run.
//
// The movie's first two frames differ all over (every shape moves), and the changing figure
// steps between them before each frame, so that nothing drawn before can be reused; the
// partial figure steps between the second and third, which differ in one shape, so that only
// that much is handed over; the still figure draws again a frame that did not change. The two
// parts of a changing frame, the twin's drawing and the hand-over of a whole picture to the
// system, are also timed alone.
#include <windows.h>
#include <oleidl.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/windowless_site.h"
#include "platform/wide.h"
#include "player/movie_control.h"
#include "pump_until.h"
#include "swf_writer.h"

namespace {

constexpr int kWidth = 800, kHeight = 600, kFrames = 60;
constexpr double kFramePeriodMs = 1000.0 / 24;

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

bool Regsvr32(const std::wstring& path, bool unregister) {
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(system) + L"\\regsvr32.exe\" /s " + (unregister ? L"/u " : L"") +
                         L"\"" + path + L"\"";
  STARTUPINFOW start{};
  start.cb = sizeof start;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process)) {
    return false;
  }
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code == 0;
}

constexpr int kShapes = 48;

// A busy stage: rows of translucent and opaque shapes over most of it; in the second frame
// every shape has moved, in the third the first shape moves again.
zp::swfgen::Bytes BusyMovie() {
  zp::swfgen::MovieWriter m(6, kWidth, kHeight, 24);
  uint16_t id = 1, depth = 1;
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column < 8; ++column) {
      const int32_t x = column * 100 * 20, y = row * 100 * 20;
      const uint8_t alpha = (row + column) % 2 ? 255 : 128;
      m.DefineEllipse(id, {x + 100, y + 100, x + 1900, y + 1900}, {uint8_t(30 * column), uint8_t(40 * row), 200, alpha});
      m.Place(depth++, id++);
    }
  }
  m.ShowFrame();
  for (uint16_t d = 1; d <= kShapes; ++d) m.Move(d, 10 * 20, 10 * 20);
  m.ShowFrame();
  m.Move(1, 30 * 20, 30 * 20);
  m.ShowFrame();
  return m.Finish(false);
}

template <typename Step>
double MillisecondsEach(Step step) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kFrames; ++i) step(i);
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / kFrames;
}

// The other frame of a pair: what a playing movie does between two pictures.
void Step(zp::player::TranspFlashOcx& ocx, int i) {
  if (i % 2) {
    ocx.Back();
  } else {
    ocx.Forward();
  }
}

// A 32-bit picture and a memory device context holding it.
struct Picture {
  Picture(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Picture() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
};

}  // namespace

int main() {
  OleInitialize(nullptr);
  const std::wstring control = BesideThisProgram(L"Fernwik.ocx");
  if (!Regsvr32(control, false)) {
    std::printf("transparent frame: the transparency control could not be registered\n");
    return 1;
  }
  zp::win::ControlContainerManager::Install(std::make_unique<zp::win::WindowlessContainerManager>());
  int result = 1;
  {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring moviePath = std::wstring(temp) + L"zp-frame-bench.swf";
    const auto movie = BusyMovie();
    HANDLE file = CreateFileW(moviePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, movie.data(), static_cast<DWORD>(movie.size()), &written, nullptr);
    CloseHandle(file);

    zp::player::CMovieControl host;
    if (host.CreateControl(nullptr, true, RECT{0, 0, kWidth, kHeight}) && host.LoadMovie(moviePath) &&
        zp::test::PumpUntil([&] { return host.IsReady(); }, 10000)) {
      zp::player::FlashCView& view = host.transparentHost()->view();
      zp::player::TranspFlashOcx& ocx = view.ocx();
      ocx.StopPlay();
      for (int i = 0; i < 6; ++i) {  // caches and GDI+ warm up
        Step(ocx, i);
        view.OnDraw();
      }
      const double frameMs = MillisecondsEach([&](int i) {
        Step(ocx, i);
        view.OnDraw();
      });
      const double stillMs = MillisecondsEach([&](int) { view.OnDraw(); });
      // From the second frame on, every step moves one shape: the first's old and new places.
      ocx.Rewind();
      ocx.Forward();
      view.OnDraw();
      int64_t partialPixels = 0;
      const double partialMs = MillisecondsEach([&](int i) {
        Step(ocx, i);
        view.OnDraw();
        partialPixels += view.lastHandedPixels();
      });

      // The parts alone: the twin drawing into a cleared picture, and the picture handed over.
      Picture picture(kWidth, kHeight);
      IViewObject* twin = nullptr;
      if (ocx.dispatch()) ocx.dispatch()->QueryInterface(IID_PPV_ARGS(&twin));
      const RECTL bounds{0, 0, kWidth, kHeight};
      const double drawMs = MillisecondsEach([&](int i) {
        Step(ocx, i);
        std::memset(picture.bits, 0, size_t{kWidth} * kHeight * 4);
        if (twin) twin->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, picture.dc, &bounds, nullptr, nullptr, 0);
        GdiFlush();
      });
      if (twin) twin->Release();
      HWND layered = host.transparentHost()->hwnd();
      RECT area{};
      GetWindowRect(layered, &area);
      const double handOverMs = MillisecondsEach([&](int) {
        HDC screen = GetDC(nullptr);
        POINT destination{area.left, area.top}, source{0, 0};
        SIZE size{kWidth, kHeight};
        BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UpdateLayeredWindow(layered, screen, &destination, &size, picture.dc, &source, 0, &blend, ULW_ALPHA);
        ReleaseDC(nullptr, screen);
      });

      std::vector<uint32_t> from(kWidth * kHeight, 0x80402010u), to(kWidth * kHeight);
      const auto copyStart = std::chrono::steady_clock::now();
      for (int i = 0; i < kFrames; ++i) {
        from[i] = static_cast<uint32_t>(i);
        std::memcpy(to.data(), from.data(), from.size() * 4);
      }
      const double copyMs =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - copyStart).count() / kFrames;
      std::printf("transparent frame %dx%d (%s): %.2f ms, %.0f%% of a 24 fps frame period (goal 25%%); "
                  "%.1f times a memcpy of its pixels (%.3f ms)\n",
                  kWidth, kHeight, view.screenIs32Bit() ? "32-bit display" : "display without an alpha byte", frameMs,
                  100.0 * frameMs / kFramePeriodMs, frameMs / copyMs, copyMs);
      std::printf("  of which the twin's drawing about %.2f ms and the hand-over of a whole picture %.2f ms; "
                  "a frame that did not change: %.2f ms (%.0f%%)\n",
                  drawMs, handOverMs, stillMs, 100.0 * stillMs / kFramePeriodMs);
      std::printf("  a frame where one shape of %d moves: %.2f ms (%.0f%%), %.1f%% of its pixels handed over\n",
                  kShapes, partialMs, 100.0 * partialMs / kFramePeriodMs,
                  100.0 * static_cast<double>(partialPixels) / kFrames / (double{kWidth} * kHeight));
      result = 0;
    } else {
      std::printf("transparent frame: the transparent host or its movie did not come up\n");
    }
    host.Destroy();
    DeleteFileW(moviePath.c_str());
  }
  zp::win::ControlContainerManager::Install(nullptr);
  Regsvr32(control, true);
  OleUninitialize();
  return result;
}
