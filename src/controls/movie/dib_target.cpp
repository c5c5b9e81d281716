#include "dib_target.h"

#include <climits>

namespace zp::movie {

namespace {

// Whether logical coordinates are pixels shifted by an offset: no scaling, rotation or mirroring.
bool OneUnitToAPixel(HDC hdc) {
  if (GetMapMode(hdc) != MM_TEXT || GetLayout(hdc) != 0) return false;
  if (GetGraphicsMode(hdc) == GM_ADVANCED) {
    XFORM transform{};
    if (!GetWorldTransform(hdc, &transform)) return false;
    if (transform.eM11 != 1.0f || transform.eM12 != 0.0f || transform.eM21 != 0.0f || transform.eM22 != 1.0f ||
        transform.eDx != 0.0f || transform.eDy != 0.0f) {
      return false;
    }
  }
  return true;
}

// Whether `region` (device coordinates) is a rectangle holding all of `device`.
bool RegionHolds(HRGN region, const RECT& device) {
  RECT box{}, both{};
  return GetRgnBox(region, &box) == SIMPLEREGION && IntersectRect(&both, &box, &device) && EqualRect(&both, &device);
}

// Whether the DC's clip and meta regions leave every pixel of `device` drawable.
bool ClipKeepsAll(HDC hdc, const RECT& device) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (!region) return false;
  const int clip = GetClipRgn(hdc, region);
  bool keeps = clip == 0 || (clip == 1 && RegionHolds(region, device));
  if (keeps) {
    const int meta = GetMetaRgn(hdc, region);
    keeps = meta == 0 || (meta == 1 && RegionHolds(region, device));
  }
  DeleteObject(region);
  return keeps;
}

// Whether row `row` of the bitmap lies at `pixels + row * width`: GetObject reports a DIB
// section's height without the sign that says which way its rows run, so a pixel of the row is
// changed in memory and looked for through the DC (logical `probe`), then put back.
bool RowsRunDown(HDC hdc, uint32_t* pixels, LONG width, LONG row, LONG column, POINT probe) {
  uint32_t& candidate = pixels[static_cast<ptrdiff_t>(row) * width + column];
  const uint32_t kept = candidate;
  const COLORREF before = GetPixel(hdc, probe.x, probe.y);
  candidate = kept ^ 0x00FFFFFF;
  const COLORREF after = GetPixel(hdc, probe.x, probe.y);
  candidate = kept;
  return before != CLR_INVALID && after != before;
}

}  // namespace

swf::PixelView DibTargetPixels(HDC hdc, const RECT& bounds) {
  if (!hdc || GetObjectType(hdc) != OBJ_MEMDC || !OneUnitToAPixel(hdc)) return {};
  DIBSECTION dib{};
  HGDIOBJ bitmap = GetCurrentObject(hdc, OBJ_BITMAP);
  if (!bitmap || GetObjectW(bitmap, sizeof dib, &dib) != sizeof dib || !dib.dsBm.bmBits) return {};
  const BITMAPINFOHEADER& header = dib.dsBmih;
  const LONG width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
  if (header.biBitCount != 32 || dib.dsBm.bmWidthBytes != width * 4 || width <= 0 || height <= 0) return {};
  if (header.biCompression != BI_RGB &&
      !(header.biCompression == BI_BITFIELDS && dib.dsBitfields[0] == 0xFF0000 && dib.dsBitfields[1] == 0xFF00 &&
        dib.dsBitfields[2] == 0xFF)) {
    return {};
  }
  POINT corners[2] = {{bounds.left, bounds.top}, {bounds.right, bounds.bottom}};
  if (!LPtoDP(hdc, corners, 2)) return {};
  const RECT device{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
  if (device.left < 0 || device.top < 0 || device.right > width || device.bottom > height ||
      device.right <= device.left || device.bottom <= device.top || !ClipKeepsAll(hdc, device)) {
    return {};
  }
  GdiFlush();
  auto* pixels = static_cast<uint32_t*>(dib.dsBm.bmBits);
  // A row that is the same one whichever way the rows run tells nothing; then the next row
  // does, and a drawing of that row alone needs no answer.
  const LONG probeRow = device.top != height - 1 - device.top ? device.top : device.top + 1;
  if (probeRow < device.bottom &&
      !RowsRunDown(hdc, pixels, width, probeRow, device.left,
                   POINT{bounds.left, bounds.top + static_cast<LONG>(probeRow - device.top)})) {
    return {};
  }
  GdiFlush();
  return swf::PixelView{pixels + static_cast<ptrdiff_t>(device.top) * width + device.left,
                        static_cast<int>(device.right - device.left), static_cast<int>(device.bottom - device.top),
                        static_cast<int>(width)};
}

}  // namespace zp::movie
