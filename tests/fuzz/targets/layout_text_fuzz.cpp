// The settings' rectangle text and the document's custom-region block over arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/layout/rect_text.h"
#include "core/layout/region_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> bytes(data, size);
  if (auto info = zp::layout::InspectRegionData(bytes)) {
    if (info->byteSize > size) std::abort();  // never more than the block holds
  }
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  zp::layout::Box box;
  if (zp::layout::ParseRectText(text, box)) {
    zp::layout::Box again;
    if (!zp::layout::ParseRectText(zp::layout::FormatRectText(box), again) || !(again == box)) std::abort();
  }
  return 0;
}
