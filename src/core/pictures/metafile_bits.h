// Finds the Windows-metafile records in a ".wmf" file: after an optional 22-byte placeable
// header, a metafile whose header gives its own size in 16-bit words. Nothing beyond the file is
// ever named, whatever the size field claims.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zp::pictures {

inline constexpr uint32_t kPlaceableMetafileKey = 0x9AC6CDD7;
inline constexpr size_t kPlaceableHeaderSize = 22;
inline constexpr size_t kMetafileHeaderSize = 18;

struct MetafileBits {
  size_t offset = 0;  // where the metafile header starts
  size_t size = 0;    // the metafile's size in bytes, as its header gives it
};

// The metafile inside `file`; nullopt for files of 18 bytes or less, for a placeable header
// with no metafile after it, and for a size field under one header or past the file's end.
std::optional<MetafileBits> FindWindowsMetafileBits(std::span<const uint8_t> file);

}  // namespace zp::pictures
