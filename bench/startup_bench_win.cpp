// Start-up of a packed player under Wine (or Windows): the time from CreateProcess to its window
// being visible, median of several starts, for a small presentation and for one that carries
// 64 MiB of embedded data (its document record stored, and compressed). The three are started
// in turn, so that a busy machine slows them alike. Goal: the big ones at most 1.6 times the
// small one.
//   startup_bench [starts]   (default 7)
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/document/document_archive.h"
#include "core/package_writer.h"
#include "payload_writer.h"
#include "platform/wide.h"
#include "support/e2e_support.h"
#include "test_files.h"

namespace {

using namespace std::chrono_literals;
using zp::e2e::Launch;

constexpr size_t kBigBytes = 64u << 20;

zp::DocumentModel Presentation(size_t extraBytes) {
  zp::DocumentModel document;
  document.appearanceOptions.title = u"Start-up";
  zp::MovieItem picture;
  picture.path = picture.file.path = u"C:\\show\\welcome.bmp";
  picture.playTime = 60;
  // A 1 x 1 bitmap is enough for the window to come up with something to show.
  picture.file.data = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0,
                       1, 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                       0, 0, 255, 0};
  document.movieList.items.push_back(picture);
  if (extraBytes > 0) {
    // Text-like bytes, as documents and scripts are: they compress about three to one.
    static const char* words[] = {"slide ", "movie ", "the ", "picture ", "window ", "of ", "and ", "\n"};
    zp::MovieItem data;
    data.path = data.file.path = u"C:\\show\\data.xml";
    data.file.data.reserve(extraBytes);
    uint32_t state = 2463534242u;
    while (data.file.data.size() < extraBytes) {
      state ^= state << 13, state ^= state >> 17, state ^= state << 5;
      for (const char* c = words[state % 8]; *c != 0; ++c) data.file.data.push_back(static_cast<uint8_t>(*c));
    }
    data.file.data.resize(extraBytes);
    document.movieList.items.push_back(std::move(data));
  }
  return document;
}

bool WritePlayer(const zp::DocumentModel& document, bool compress, const std::wstring& output) {
  const std::vector<uint8_t> sections = zp::WriteDocumentSections(document);
  zp::DocumentRecordHeader header;
  header.tag = zp::kDocumentTag.Text();
  header.inflatedSize = static_cast<uint32_t>(sections.size());
  std::vector<uint8_t> payload = sections;
  if (compress) {
    payload = zentra::DeflateInBlocks(sections);
    header.compressed = 1;
    header.compressedSize = static_cast<uint32_t>(payload.size());
  }
  std::vector<uint8_t> program = zp::e2e::ReadFileBytes(zp::e2e::ProjectorPath());
  const std::vector<uint8_t> head = zp::SerializeDocumentRecordHeader(header);
  program.insert(program.end(), head.begin(), head.end());
  program.insert(program.end(), payload.begin(), payload.end());
  for (const std::wstring name : {L"CommonResources.dll", L"ZentraFSCmd.dll"}) {
    const auto bytes = zp::e2e::ReadFileBytes(zp::e2e::BinDirectory() + L"\\" + name);
    const auto record = zp::MakeFileRecord(name == std::wstring(L"CommonResources.dll") ? zp::kResourceLibraryTag
                                                                                      : zp::kFsCommandLibraryTag,
                                           zp::FromWide(name), bytes);
    program.insert(program.end(), record.begin(), record.end());
  }
  return zp::e2e::WriteFileBytes(output, program);
}

// Seconds from the start to the first visible window; the player is then closed.
double TimeToWindow(const std::wstring& program, const std::wstring& temporary) {
  const auto start = std::chrono::steady_clock::now();
  zp::e2e::Launched process = Launch(program, L"", temporary);
  HWND shown = nullptr;
  const bool up = zp::e2e::WaitUntil(
      [&] {
        const auto windows = zp::e2e::TopLevelWindows(process.id());
        shown = windows.empty() ? nullptr : windows.front();
        return shown != nullptr || !process.Running();
      },
      60s, 2ms);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!up || shown == nullptr) return -1;
  for (HWND window : zp::e2e::TopLevelWindows(process.id())) PostMessageW(window, WM_CLOSE, 0, 0);
  if (!process.WaitForExit(30s)) return -1;
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int starts = argc > 1 ? std::max(1, _wtoi(argv[1])) : 7;
  zp::test::ScratchDirectory scratch;
  const std::wstring folder = zp::ToWide(scratch.path());
  const std::wstring temporary = folder + L"\\tmp";
  CreateDirectoryW(temporary.c_str(), nullptr);
  const struct {
    const char* name;
    std::wstring program;
  } players[] = {{"small", folder + L"\\Small.exe"},
                 {"64 MiB stored", folder + L"\\Stored.exe"},
                 {"64 MiB compressed", folder + L"\\Compressed.exe"}};
  const zp::DocumentModel big = Presentation(kBigBytes);
  if (!WritePlayer(Presentation(0), false, players[0].program) || !WritePlayer(big, false, players[1].program) ||
      !WritePlayer(big, true, players[2].program)) {
    std::fprintf(stderr, "startup_bench: cannot write the players\n");
    return 1;
  }
  std::vector<double> times[3];
  for (int i = 0; i < starts; ++i) {
    for (int p = 0; p < 3; ++p) {
      const double seconds = TimeToWindow(players[p].program, temporary);
      if (seconds < 0) {
        std::fprintf(stderr, "startup_bench: the %s player did not come up and go\n", players[p].name);
        return 1;
      }
      times[p].push_back(seconds);
    }
  }
  std::printf("startup_bench: time to a visible window, median of %d starts\n", starts);
  for (int p = 0; p < 3; ++p) std::printf("  %-18s %6.3f s\n", players[p].name, Median(times[p]));
  for (int p = 1; p < 3; ++p) {
    const double ratio = Median(times[p]) / Median(times[0]);
    std::printf("start-up %s / small: ratio %.2f (goal at most 1.60)%s\n", players[p].name, ratio,
                ratio <= 1.6 ? "" : "  MISSED");
  }
  return 0;
}
