// What the picture tests share: GDI+ and COM started as the player starts them, picture files
// in a scratch folder, and reading back what a window or a bitmap shows.
#pragma once

#include <windows.h>

#include <string>

#include "test_files.h"
#include "test_pictures.h"

namespace zp::test {

inline constexpr Rgb kRed{220, 30, 30};
inline constexpr Rgb kBlue{30, 40, 200};
inline constexpr Rgb kGreen{30, 160, 60};

inline COLORREF Colour(Rgb c) { return RGB(c.r, c.g, c.b); }
// Colours within a few steps of each other in every channel (scaling and sharpening round).
bool Near(COLORREF a, COLORREF b);

// Writes `bytes` as `name` in the scratch folder and gives the full path.
std::wstring WritePicture(const ScratchDirectory& scratch, std::u16string_view name, const Bytes& bytes);

// A 32-bit memory surface to draw into and read pixels back from.
class Surface {
 public:
  Surface(int width, int height, COLORREF fill);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const;

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace zp::test
