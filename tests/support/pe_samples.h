// Extension-library images written byte by byte: a DOS header pointing at a "PE\0\0" header
// with its machine type, and an export directory at a file offset equal to its address with the
// library's own name and then one name per function, the way extension libraries are linked.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/package_format.h"

namespace zp::test {

inline std::vector<uint8_t> ExtensionLibraryImage(bool pe64, uint32_t count, const std::vector<std::string>& names) {
  std::vector<uint8_t> file(0x400, 0);
  file[0] = 'M', file[1] = 'Z';
  const uint32_t pe = 0x80;
  WriteU32(file, 0x3C, pe);
  file[pe] = 'P', file[pe + 1] = 'E';
  file[pe + 4] = pe64 ? 0x64 : 0x4C;  // machine: 0x8664 x64, 0x014C 32-bit x86
  file[pe + 5] = pe64 ? 0x86 : 0x01;
  file[pe + 0x18] = 0x0B;
  file[pe + 0x19] = pe64 ? 0x02 : 0x01;
  const uint32_t directory = 0x200;
  WriteU32(file, pe + (pe64 ? 0x88 : 0x78), directory);
  WriteU32(file, directory + 0x14, count);
  const uint32_t ownName = 0x240;
  WriteU32(file, directory + 0x0C, ownName);
  const std::string own = "ZentraFSCmd.dll";
  std::memcpy(&file[ownName], own.c_str(), own.size() + 1);
  size_t at = ownName + own.size() + 1;
  for (const auto& name : names) {
    if (file.size() < at + name.size() + 1) file.resize(at + name.size() + 1);
    std::memcpy(&file[at], name.c_str(), name.size() + 1);
    at += name.size() + 1;
  }
  return file;
}

}  // namespace zp::test
