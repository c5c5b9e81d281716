// Loading a document of 1000 items carrying 64 MiB of files (the archive read in place, every
// file written into a fresh temporary directory), against writing the same 1000 files with
// plain file writes. Target: at most 1.5 times the plain writes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/document/directory_file_sink.h"
#include "core/document/document_archive.h"
#include "core/temp_files.h"
#include "core/text.h"
#include "platform/platform.h"
#include "ratio_reporter.h"

namespace {

constexpr size_t kItems = 1000;
constexpr size_t kFileSize = (64u << 20) / kItems;

std::vector<uint8_t> FileBytes(size_t index) {
  std::vector<uint8_t> bytes(kFileSize);
  uint32_t state = static_cast<uint32_t>(index) * 2654435761u + 1;
  for (auto& b : bytes) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    b = static_cast<uint8_t>(state);
  }
  return bytes;
}

const std::vector<uint8_t>& Record() {
  static const std::vector<uint8_t> record = [] {
    zp::DocumentModel model;
    for (size_t i = 0; i < kItems; ++i) {
      zp::MovieItem item;
      item.path = u"C:\\show\\movie" + zp::ToHex(static_cast<uint32_t>(i)) + u".swf";
      item.playTime = 1;
      item.file.path = item.path;
      item.file.data = FileBytes(i);
      model.movieList.items.push_back(std::move(item));
    }
    return zp::WriteDocumentArchive(model);
  }();
  return record;
}

void LoadDocument(benchmark::State& state) {
  const auto& record = Record();
  for (auto _ : state) {
    state.PauseTiming();
    const std::u16string directory = zp::CreateTemporaryDirectory();
    state.ResumeTiming();
    zp::DirectoryFileSink sink(directory);
    zp::DocumentLoadOptions options;
    options.sink = &sink;
    zp::DocumentModel model;
    if (!zp::LoadDocumentArchive(record, model, options) || !model.movieList.items.back().file.written) {
      state.SkipWithError("load failed");
    }
    state.PauseTiming();
    zp::RemoveTemporaryDirectory(directory);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kItems * kFileSize));
}

void PlainWrites(benchmark::State& state) {
  std::vector<std::vector<uint8_t>> files;
  for (size_t i = 0; i < kItems; ++i) files.push_back(FileBytes(i));
  for (auto _ : state) {
    state.PauseTiming();
    const std::u16string directory = zp::CreateTemporaryDirectory();
    state.ResumeTiming();
    for (size_t i = 0; i < kItems; ++i) {
      zp::platform::OutputFile out;
      if (!out.Open(zp::JoinPath(directory, zp::ToHex(static_cast<uint32_t>(i)) + u".swf"),
                    zp::platform::OutputFile::Mode::kCreateNew) ||
          !out.Write(files[i])) {
        state.SkipWithError("write failed");
      }
    }
    state.PauseTiming();
    zp::RemoveTemporaryDirectory(directory);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kItems * kFileSize));
}

BENCHMARK(LoadDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainWrites)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return zp::bench::RunWithRatios(argc, argv, {{"LoadDocument", "PlainWrites"}});
}
