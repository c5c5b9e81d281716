// The argument splitter and number reader over arbitrary UTF-16 text and separators.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/fscommand/fs_arguments.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const char16_t separator = static_cast<char16_t>(data[0] | (data[1] << 8));
  std::u16string text;
  for (size_t i = 2; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  const auto items = zp::SplitFsArguments(text, separator);
  size_t total = 0;
  for (const auto& item : items) {
    total += item.size();
    zp::ReadFsNumber(item);
  }
  if (total > text.size()) std::abort();  // items are pieces of the text, never more
  return 0;
}
