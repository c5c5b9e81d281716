// One record's payload on its way into the package: deflated in blocks on every core and joined
// into one standard zlib stream, or stored when compression does not pay.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "core/document/archive.h"
#include "file_io.h"

namespace zentra {

class Progress;

struct PayloadResult {
  bool compressed = false;
  uint64_t size = 0;        // bytes of the payload itself
  uint64_t storedSize = 0;  // bytes it takes in the package
};

// Makes a payload by passing its bytes to the sink; may be called twice (a second time when
// compression turned out not to pay). False when making it failed (`error` says why).
using PayloadMaker = std::function<bool(zp::ByteSink& to, std::string& error)>;

// Writes the payload at the output's current position. With `compress`, it is deflated at the
// default level (blocks of 1 MiB, one per core, each ended with a full flush so that they join
// into one stream with one Adler-32), unless its first block, or the whole, comes out no smaller
// than a 64th under the bytes themselves: then what was written is dropped and it is stored.
bool WritePayload(OutputFile& out, bool compress, const PayloadMaker& make, Progress& progress, PayloadResult& result,
                  std::string& error);

// The same joined stream in memory, for tests and benchmarks: `threads` 0 means every core.
std::vector<uint8_t> DeflateInBlocks(std::span<const uint8_t> bytes, unsigned threads = 0);

}  // namespace zentra
