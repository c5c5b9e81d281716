// Where the overlay panel's two pop-ups go over the player window's client area: the picture
// stands left of the text with a 3-pixel gap, the pair keeps 3 pixels from the client edges at
// one of nine positions, and the shorter of the two is centred vertically on the taller.
// All rectangles are in screen coordinates.
#pragma once

#include <optional>
#include <span>

#include "core/layout/geometry.h"

namespace zp::layout {

enum class PanelColumn { kLeft, kCentre, kRight };
enum class PanelRow { kTop, kMiddle, kBottom };

struct PanelPosition {
  PanelColumn column = PanelColumn::kLeft;
  PanelRow row = PanelRow::kTop;
  bool operator==(const PanelPosition&) const = default;
};

// The document's position code: 0 top left, 1 top centre ... 8 bottom right; nothing for any
// other code.
std::optional<PanelPosition> PanelPositionOf(int code);

enum class PanelAlignment { kLeft, kRight, kCentre };
// The document's alignment code: 1 right, 2 centred, anything else left.
PanelAlignment PanelAlignmentOf(int code);

// The room the picture may take: three quarters of the client's width and height, from its
// top-left corner.
Box PictureRoom(const Box& client);
// The room the text may take beside a picture `pictureWidth` wide. A client too small for it
// gives an empty room at the client's top-left corner, never one with a negative size.
Box TextRoom(const Box& client, int pictureWidth);
// `wanted` cut to the room's width and height; negative sizes become 0.
Size LimitToRoom(Size wanted, const Box& room);

// What the text box needs for lines of the given sizes: the widest line plus both margins
// plus 5, and the lines' heights together plus 5.
Size NeededTextSize(std::span<const Size> lines, int leftMargin, int rightMargin);

struct PanelPlacement {
  Point picture;  // top-left corners
  Point text;
  bool operator==(const PanelPlacement&) const = default;
};
// The top-left corners of the picture and the text pop-ups; an absent pop-up has size 0.
PanelPlacement LayOutPanel(PanelPosition position, const Box& client, Size picture, Size text);

// The part of a pop-up's rectangle inside the client area; an all-zero box when no part is.
Box ClipToClient(const Box& popup, const Box& client);

}  // namespace zp::layout
