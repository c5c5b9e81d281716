#include "core/layout/overlay_layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace zp::layout {

namespace {

constexpr int kEdgeGap = 3;  // between the pair and the client edges, and between the two

int ClampToInt(int64_t value) { return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)); }

}  // namespace

std::optional<PanelPosition> PanelPositionOf(int code) {
  if (code < 0 || code > 8) return std::nullopt;
  static constexpr PanelColumn kColumns[] = {PanelColumn::kLeft, PanelColumn::kCentre, PanelColumn::kRight};
  static constexpr PanelRow kRows[] = {PanelRow::kTop, PanelRow::kMiddle, PanelRow::kBottom};
  return PanelPosition{kColumns[code % 3], kRows[code / 3]};
}

PanelAlignment PanelAlignmentOf(int code) {
  if (code == 1) return PanelAlignment::kRight;
  if (code == 2) return PanelAlignment::kCentre;
  return PanelAlignment::kLeft;
}

Box PictureRoom(const Box& client) {
  const int width = std::max(0, client.Width()), height = std::max(0, client.Height());
  return {client.left, client.top, client.left + width * 3 / 4, client.top + height * 3 / 4};
}

Box TextRoom(const Box& client, int pictureWidth) {
  // The text keeps clear of the picture, the gaps around both and the client's bottom edge.
  const int right = ClampToInt(int64_t{client.right} - std::max(0, pictureWidth) - 12);
  const int bottom = client.bottom - 9;
  return {client.left, client.top, std::max(client.left, right), std::max(client.top, bottom)};
}

Size LimitToRoom(Size wanted, const Box& room) {
  return {std::clamp(wanted.width, 0, std::max(0, room.Width())),
          std::clamp(wanted.height, 0, std::max(0, room.Height()))};
}

Size NeededTextSize(std::span<const Size> lines, int leftMargin, int rightMargin) {
  int64_t widest = 0, height = 0;
  for (const Size& line : lines) {
    widest = std::max<int64_t>(widest, line.width);
    height += std::max(0, line.height);
  }
  return {ClampToInt(widest + leftMargin + rightMargin + 5), ClampToInt(height + 5)};
}

PanelPlacement LayOutPanel(PanelPosition position, const Box& client, Size picture, Size text) {
  const int pw = picture.width, ph = picture.height, tw = text.width, th = text.height;
  PanelPlacement at;
  switch (position.column) {
    case PanelColumn::kLeft:
      at.picture.x = client.left + kEdgeGap;
      at.text.x = client.left + pw + 2 * kEdgeGap;
      break;
    case PanelColumn::kCentre:
      at.picture.x = client.left + (client.Width() + 1) / 2 - (tw + pw + 10) / 2 + kEdgeGap;
      at.text.x = at.picture.x + pw + kEdgeGap;
      break;
    case PanelColumn::kRight:
      at.picture.x = client.right - tw - pw - 2 * kEdgeGap;
      at.text.x = at.picture.x + pw + kEdgeGap;
      break;
  }
  // Half the difference in height centres the shorter one on the taller.
  const int g = (std::abs(ph - th) + 1) / 2;
  switch (position.row) {
    case PanelRow::kTop:
      if (ph >= th) {
        at.picture.y = client.top + kEdgeGap;
        at.text.y = at.picture.y + g;
      } else {
        at.text.y = client.top + kEdgeGap;
        at.picture.y = at.text.y + g;
      }
      break;
    case PanelRow::kMiddle: {
      const int u = (client.Height() + 1) / 2;
      at.picture.y = client.top + u - (ph + 1) / 2;
      at.text.y = client.top + u - (th + 1) / 2;
      break;
    }
    case PanelRow::kBottom:
      if (ph < th) {
        at.picture.y = client.bottom - g - ph - kEdgeGap;
        at.text.y = client.bottom - th - kEdgeGap;
      } else {
        at.picture.y = client.bottom - ph - kEdgeGap;
        at.text.y = client.bottom - g - th - kEdgeGap;
      }
      break;
  }
  return at;
}

Box ClipToClient(const Box& popup, const Box& client) {
  const Box cut{std::max(popup.left, client.left), std::max(popup.top, client.top),
                std::min(popup.right, client.right), std::min(popup.bottom, client.bottom)};
  return cut.IsEmpty() ? Box{} : cut;
}

}  // namespace zp::layout
