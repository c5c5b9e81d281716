// The picture inputs a presentation or a movie controls: picture headers, ".wmf" files (the metafile must lie
// inside the file whatever its size field says), ShowImage's items and rectangle, and the view
// and drag arithmetic over any numbers (no overflow, no division by zero under the sanitizers).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "core/layout/drag_region.h"
#include "core/pictures/image_window_layout.h"
#include "core/pictures/metafile_bits.h"
#include "core/pictures/picture_header.h"
#include "core/pictures/picture_layout.h"

namespace {

int32_t TakeInt(std::span<const uint8_t>& bytes) {
  int32_t value = 0;
  const size_t n = std::min<size_t>(4, bytes.size());
  std::memcpy(&value, bytes.data(), n);
  bytes = bytes.subspan(n);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zp;
  std::span<const uint8_t> bytes(data, size);

  if (const auto size = pictures::ReadPictureHeaderSize(bytes)) {
    if (size->width <= 0 || size->height <= 0) std::abort();
  }
  if (const auto bits = pictures::FindWindowsMetafileBits(bytes)) {
    if (bits->offset > size || bits->size > size - bits->offset || bits->size < 18) std::abort();
  }

  std::u16string args;
  for (size_t i = 0; i + 1 < size; i += 2) args.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  if (const auto request = pictures::ReadShowImageRequest(args)) {
    const layout::Box rect = pictures::ImageWindowRect(*request);
    if (rect.left > rect.right || rect.top > rect.bottom) std::abort();
  }

  pictures::PictureViewInput input;
  input.picture = {TakeInt(bytes), TakeInt(bytes)};
  input.view = {TakeInt(bytes), TakeInt(bytes), TakeInt(bytes), TakeInt(bytes)};
  input.window = {TakeInt(bytes) & 0x7FFF, TakeInt(bytes) & 0x7FFF};
  const int32_t flags = TakeInt(bytes);
  input.keepAspect = flags & 1;
  input.allowScale = flags & 2;
  input.metafile = flags & 4;
  if (const auto layout = pictures::LayOutPictureView(input)) {
    pictures::MapWindowPoint(*layout, input.window, {TakeInt(bytes), TakeInt(bytes)});
    pictures::MetafilePlacement(*layout, input.picture, input.window, input.keepAspect);
    if (layout->rendering) {
      const auto& r = *layout->rendering;
      if (!pictures::WithinPixelBudget(r.output.width, r.output.height)) std::abort();
      pictures::OccupiedRect(r, input.window);
    }
  }
  pictures::FitWindowToPicture({TakeInt(bytes), TakeInt(bytes), TakeInt(bytes), TakeInt(bytes)},
                               {TakeInt(bytes) & 0xFF, TakeInt(bytes) & 0xFF, TakeInt(bytes) & 0xFF,
                                TakeInt(bytes) & 0xFF},
                               {TakeInt(bytes), TakeInt(bytes)},
                               {TakeInt(bytes), TakeInt(bytes), TakeInt(bytes), TakeInt(bytes)});
  pictures::FitPictureInBox({TakeInt(bytes), TakeInt(bytes)}, {TakeInt(bytes), TakeInt(bytes)});

  layout::CDragRegion region;
  region.SetScaling(flags & 8);
  region.SetKeepAspect(flags & 16);
  region.SetMovieSize(TakeInt(bytes), TakeInt(bytes));
  region.SetWindowSize(TakeInt(bytes), TakeInt(bytes));
  region.AddEllipse({TakeInt(bytes), TakeInt(bytes), TakeInt(bytes), TakeInt(bytes)});
  std::vector<layout::Point> points;
  while (bytes.size() >= 8 && points.size() < 64) points.push_back({TakeInt(bytes), TakeInt(bytes)});
  region.SubPoly(points);
  region.IsDragPoint(TakeInt(bytes), TakeInt(bytes));
  return 0;
}
