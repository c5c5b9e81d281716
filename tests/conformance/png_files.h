// PNG files read and written through GDI+ (which must be started), as 0xAARRGGBB pixels with
// the rows top first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zp::conformance {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// Nothing (width 0) when the file cannot be read as a picture.
Picture ReadPicture(const std::wstring& path);
bool WritePng(const std::wstring& path, const Picture& picture);

}  // namespace zp::conformance
