// Builds package records: the packer appends them to the player, and tests build packages
// with them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/package_format.h"

namespace zp {

// A document record: the 148-byte header and the archive, deflated when `compress` is set.
std::vector<uint8_t> MakeDocumentRecord(std::span<const uint8_t> archive, bool compress = true,
                                        uint32_t version = kDocumentFormatVersion);

// A file record: the 496-byte header with the tag and the file name, and the file's bytes,
// deflated when `compress` is set.
std::vector<uint8_t> MakeFileRecord(const RecordTag& tag, std::u16string_view fileName,
                                    std::span<const uint8_t> bytes, bool compress = true);

}  // namespace zp
