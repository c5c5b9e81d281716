// Reads the autorun key from arbitrary bytes in every encoding the splash accepts: never
// crashes, and a program it names always lies under the folder it was given.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/splash/autorun_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto text = zp::splash::DecodeUnicodeIniText(std::span(data, size));
  if (!text) return 0;
  const auto program = zp::splash::AutorunProgramPath(u"E:", *text, u"auxopen");
  if (program && (program->size() <= 3 || program->compare(0, 3, u"E:\\") != 0)) std::abort();
  return 0;
}
