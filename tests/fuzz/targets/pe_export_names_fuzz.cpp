// The export-name and machine readers over arbitrary file bytes: they must never read outside them.
#include <cstdint>
#include <span>

#include "core/fscommand/pe_export_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zp::ReadFsExportNames(std::span(data, size));
  zp::ReadPeMachine(std::span(data, size));
  return 0;
}
