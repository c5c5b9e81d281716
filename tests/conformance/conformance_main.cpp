// Plays every movie of the shared conformance folder through the movie control and compares
// what it draws and prints with what a complete player shows. One line per movie, then the
// totals; fails when a movie on the passing list no longer passes.
//
//   conformance_runner FOLDER PASSING_LIST OUTPUT_FOLDER
//
// The drawings that do not match are written to OUTPUT_FOLDER as PNG files for people to look
// at; OUTPUT_FOLDER/summary.txt repeats the totals.
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "conformance_suite.h"
#include "movie_host.h"
#include "package/gdiplus_session.h"
#include "png_files.h"

namespace fs = std::filesystem;
using namespace zp::conformance;

namespace {

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return fs::path(std::wstring(path, length)).parent_path().wstring();
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::set<std::string> ReadList(const fs::path& path) {
  std::set<std::string> names;
  std::istringstream lines(ReadText(path));
  std::string line;
  while (std::getline(lines, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (!line.empty() && line[0] != '#') names.insert(line);
  }
  return names;
}

// Draws each expected frame in turn; true when all are within tolerance.
bool RunVisual(MovieHost& host, const MovieCase& movie, const fs::path& outputFolder, std::string& report) {
  if (!host.Load(movie.swf.wstring())) {
    report = "does not load";
    return false;
  }
  host.SetHighQuality(movie.highQuality);
  bool all = true;
  int shown = 1;
  for (const Comparison& comparison : movie.comparisons) {
    const Picture expected = ReadPicture((movie.swf.parent_path() / comparison.png).wstring());
    if (expected.width == 0) {
      report += " " + comparison.png + ": unreadable";
      all = false;
      continue;
    }
    if (comparison.iteration > shown) host.Step(comparison.iteration - shown);
    shown = std::max(shown, comparison.iteration);
    Picture actual{expected.width, expected.height, host.Draw(expected.width, expected.height)};
    const Match match = ComparePixels(actual.pixels, expected.pixels, expected.width, expected.height, comparison);
    char share[64];
    std::snprintf(share, sizeof share, " %.1f%%", match.Share() * 100);
    report += share;
    if (!match.within) {
      all = false;
      WritePng((outputFolder / (movie.name + "." + comparison.png)).wstring(), actual);
    }
  }
  host.Release();
  return all;
}

bool RunTrace(MovieHost& host, const MovieCase& movie, const fs::path& outputFolder) {
  const fs::path traceFile = outputFolder / (movie.name + ".trace.txt");
  std::error_code ignored;
  fs::remove(traceFile, ignored);
  _wputenv_s(L"ZENTRA_MOVIE_TRACE", traceFile.wstring().c_str());
  if (host.Load(movie.swf.wstring())) host.Step(movie.frames - 1);
  host.Release();  // the trace file is complete once the control is gone
  _wputenv_s(L"ZENTRA_MOVIE_TRACE", L"");
  const bool matches = TraceMatches(ReadText(traceFile), ReadText(movie.expectedOutput));
  if (matches) fs::remove(traceFile, ignored);
  return matches;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: conformance_runner FOLDER PASSING_LIST OUTPUT_FOLDER\n");
    return 2;
  }
  const fs::path folder = argv[1], passingList = argv[2], outputFolder = argv[3];
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  // The expected traces were recorded at 2001-02-03 04:05:06 in a zone 5:45 east of UTC.
  _wputenv_s(L"ZENTRA_MOVIE_CLOCK", L"981152406000,345");
  int status = 0;
  {
    zp::GdiplusSession gdiplus;
    const auto suite = ReadSuite(folder);
    MovieHost host(ModuleFolder() + L"\\ZentraMovie.ocx");
    std::error_code ignored;
    fs::create_directories(outputFolder, ignored);
    for (const auto& entry : fs::directory_iterator(outputFolder, ignored)) {
      if (entry.path().extension() == ".png" || entry.path().extension() == ".txt") fs::remove(entry.path(), ignored);
    }
    if (!suite || !host.ok() || !gdiplus.started()) {
      std::printf("cannot read the suite in %ls or load the control\n", folder.c_str());
      status = 2;
    } else {
      const std::set<std::string> listed = ReadList(passingList);
      std::set<std::string> passing;
      int visual = 0, visualWithin = 0, traces = 0, tracesMatching = 0;
      for (const MovieCase& movie : *suite) {
        if (movie.visual) {
          std::string report;
          ++visual;
          const bool within = RunVisual(host, movie, outputFolder, report);
          std::printf("%s %s:%s\n", within ? "within " : "outside", movie.name.c_str(), report.c_str());
          if (within) ++visualWithin, passing.insert(movie.name);
        } else if (!movie.expectedOutput.empty()) {
          ++traces;
          const bool matches = RunTrace(host, movie, outputFolder);
          std::printf("%s %s\n", matches ? "matches" : "differs", movie.name.c_str());
          if (matches) ++tracesMatching, passing.insert(movie.name);
        }
        std::fflush(stdout);
      }
      std::ostringstream summary;
      summary << visualWithin << " of " << visual << " visual within tolerance\n"
              << tracesMatching << " of " << traces << " traces match\n";
      for (const std::string& name : listed) {
        if (!passing.count(name)) {
          summary << "no longer passes (on the passing list): " << name << "\n";
          status = 1;
        }
      }
      for (const std::string& name : passing) {
        if (!listed.count(name)) summary << "passes, not yet on the passing list: " << name << "\n";
      }
      std::printf("%s", summary.str().c_str());
      std::ofstream(outputFolder / "summary.txt") << summary.str();
    }
  }
  CoUninitialize();
  return status;
}
