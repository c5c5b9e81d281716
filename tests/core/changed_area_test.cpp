#include "core/transparency/changed_area.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zp::transparency {
namespace {

struct Change {
  int x, y;
};

struct ChangedAreaCase {
  const char* what;
  int width, height, stride;
  std::vector<Change> changes;
  PixelArea expected;
};

TEST(ChangedArea, HoldsEveryChangedPixelAndNoMore) {
  const ChangedAreaCase cases[] = {
      {"nothing changed", 8, 6, 8, {}, {}},
      {"one pixel in the middle", 8, 6, 8, {{3, 2}}, {3, 2, 4, 3}},
      {"the four corners: the whole picture", 8, 6, 8, {{0, 0}, {7, 0}, {0, 5}, {7, 5}}, {0, 0, 8, 6}},
      {"left on one row, right on another", 8, 6, 8, {{1, 1}, {6, 4}}, {1, 1, 7, 5}},
      {"the last column of the last row", 8, 6, 8, {{7, 5}}, {7, 5, 8, 6}},
      {"a single-pixel picture", 1, 1, 1, {{0, 0}}, {0, 0, 1, 1}},
      {"padding beyond the width never counts", 4, 3, 6, {{2, 1}}, {2, 1, 3, 2}},
      {"a change far in on a middle row widens the area", 8, 6, 8, {{4, 0}, {0, 3}, {4, 5}}, {0, 0, 5, 6}},
  };
  for (const auto& c : cases) {
    std::vector<uint32_t> before(static_cast<size_t>(c.stride) * c.height, 0x80402010u);
    std::vector<uint32_t> after = before;
    // Padding differs everywhere: only the pixels inside the width may be compared.
    for (int y = 0; y < c.height; ++y) {
      for (int x = c.width; x < c.stride; ++x) after[static_cast<size_t>(y) * c.stride + x] = 0xFFFFFFFFu;
    }
    for (const Change& change : c.changes) after[static_cast<size_t>(change.y) * c.stride + change.x] ^= 1u;
    const PixelArea area = ChangedArea(before.data(), after.data(), c.width, c.height, c.stride);
    EXPECT_EQ(area, c.expected) << c.what << ": " << area.left << "," << area.top << "," << area.right << ","
                                << area.bottom;
    EXPECT_EQ(area.empty(), c.changes.empty()) << c.what;
  }
}

TEST(ChangedArea, NonsenseSizesChangeNothing) {
  const uint32_t pixel = 1, other = 2;
  EXPECT_TRUE(ChangedArea(&pixel, &other, 0, 1, 1).empty());
  EXPECT_TRUE(ChangedArea(&pixel, &other, 1, -1, 1).empty());
  EXPECT_TRUE(ChangedArea(&pixel, &other, 2, 1, 1).empty()) << "a stride shorter than a row";
  EXPECT_TRUE(ChangedArea(nullptr, &other, 1, 1, 1).empty());
}

}  // namespace
}  // namespace zp::transparency
