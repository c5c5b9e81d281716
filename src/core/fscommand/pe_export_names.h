// Lists the export names of an FSCommand extension library from its file bytes, without
// loading it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zp {

// Reads the export directory's address straight as a file offset (extension libraries are linked
// with file offsets equal to their addresses), skips the library's own name and takes the names
// that follow it, one per exported function, trimmed of blanks; empty ones are dropped. Both
// 32-bit and 64-bit libraries are read. Every offset comes from the file and is checked against
// it: anything that points outside the bytes, or a name that runs off their end, yields no names
// at all.
std::vector<std::u16string> ReadFsExportNames(std::span<const uint8_t> file);

}  // namespace zp
