// Lists the export names of an FSCommand extension library from its file bytes, without
// loading it.
#pragma once

#include <cstdint>
#include <optional>
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

// Machine types of the COFF header that a player may meet in an extension library.
inline constexpr uint16_t kMachineX86 = 0x014C;
inline constexpr uint16_t kMachineX64 = 0x8664;
inline constexpr uint16_t kMachineArm64 = 0xAA64;

// The machine a library was built for: the first field after the "PE\0\0" signature. Nothing
// when the bytes hold no such signature where the DOS header points.
std::optional<uint16_t> ReadPeMachine(std::span<const uint8_t> file);

// The machine as a user reads it: "32-bit x86", "x64", "ARM64", else "machine 0x1c4" and the like.
std::u16string PeMachineName(uint16_t machine);

// Why a library built for `library` cannot be loaded into a player built for `player`, or
// nothing when the two match.
std::optional<std::u16string> MachineMismatch(uint16_t library, uint16_t player);

}  // namespace zp
