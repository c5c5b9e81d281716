// A frame of every movie of the shared conformance folder drawn by the movie control under
// Wine at 800 × 600 (IViewObject::Draw into a 32-bit bitmap the container keeps), against
// its frame period (goal: a tenth of it, median over the movies) and against copying the
// frame's pixels with memcpy in the same run. Prints each movie's time, then the median and
// the worst.
//
//   movie_frame_bench FOLDER [--quick]
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "conformance_suite.h"
#include "movie_host.h"
#include "package/gdiplus_session.h"

namespace {

constexpr int kWidth = 800, kHeight = 600;

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(std::wstring(path, length)).parent_path().wstring();
}

double Milliseconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

struct Result {
  std::string name;
  double ms = 0;
  double share = 0;  // of the frame period
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: movie_frame_bench FOLDER [--quick]\n");
    return 2;
  }
  const bool quick = argc > 2 && std::wstring(argv[2]) == L"--quick";
  const int rounds = quick ? 2 : 10;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  int status = 1;
  {
    zp::GdiplusSession gdiplus;
    const auto suite = zp::conformance::ReadSuite(argv[1]);
    zp::conformance::MovieHost host(ModuleFolder() + L"\\ZentraMovie.ocx");
    if (suite && host.ok()) {
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = kWidth;
      info.bmiHeader.biHeight = -kHeight;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      HDC dc = CreateCompatibleDC(nullptr);
      void* bits = nullptr;
      HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      HGDIOBJ old = SelectObject(dc, bitmap);
      std::vector<Result> results;
      for (const auto& movie : *suite) {
        if (!host.Load(movie.swf.wstring())) continue;
        host.SetHighQuality(movie.highQuality);
        host.DrawInto(dc, kWidth, kHeight);  // decoding and caches warm up
        std::vector<double> times;
        for (int i = 0; i < rounds; ++i) {
          const auto start = std::chrono::steady_clock::now();
          host.DrawInto(dc, kWidth, kHeight);
          GdiFlush();
          times.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        }
        host.Release();
        std::sort(times.begin(), times.end());
        const double period = 1000.0 / (movie.frameRate > 0 ? movie.frameRate : 12);
        results.push_back({movie.name, times[times.size() / 2], times[times.size() / 2] / period});
      }
      SelectObject(dc, old);
      DeleteObject(bitmap);
      DeleteDC(dc);
      std::vector<uint32_t> from(size_t{kWidth} * kHeight, 0x80402010u), to(from.size());
      const auto copyStart = std::chrono::steady_clock::now();
      for (int i = 0; i < 100; ++i) {
        from[i] = static_cast<uint32_t>(i);
        std::memcpy(to.data(), from.data(), from.size() * 4);
      }
      const double copyMs = Milliseconds(std::chrono::steady_clock::now() - copyStart) / 100;
      if (!results.empty()) {
        for (const Result& r : results) std::printf("%-70s %7.2f ms %5.1f%%\n", r.name.c_str(), r.ms, 100 * r.share);
        std::sort(results.begin(), results.end(), [](const Result& a, const Result& b) { return a.share < b.share; });
        const Result& median = results[results.size() / 2];
        const Result& worst = results.back();
        std::vector<double> ms;
        for (const Result& r : results) ms.push_back(r.ms);
        std::sort(ms.begin(), ms.end());
        std::printf("movie frames %dx%d: median %.1f%% of the frame period (goal 10%%), worst %.1f%% (%s, %.2f ms); "
                    "median %.2f ms, %.1f times a memcpy of the frame's pixels (%.3f ms); %zu movies\n",
                    kWidth, kHeight, 100 * median.share, 100 * worst.share, worst.name.c_str(), worst.ms,
                    ms[ms.size() / 2], ms[ms.size() / 2] / copyMs, copyMs, results.size());
        status = 0;
      }
    } else {
      std::printf("movie frames: cannot read the suite in %ls or load the control\n", argv[1]);
    }
  }
  CoUninitialize();
  return status;
}
