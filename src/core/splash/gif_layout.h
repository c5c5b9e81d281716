// The block structure of a GIF file, as the splash's animated picture needs it: the logical
// screen, the frames with their places, delays and disposal, and each frame rebuilt as a small
// GIF of its own that any picture loader can decode.
//
// Everything is read from a byte span and never past its end, whatever a header or a block
// size claims. A walk stops at the trailer, at an unrecognised block or at a block that runs
// past the data; the frames found before that point are kept, so a truncated file still plays
// what it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zp::gif {

// "GIF87a" or "GIF89a" at the start. Data named like a GIF that holds something else goes to
// the whole-picture loader instead.
bool HasGifSignature(std::span<const uint8_t> data);

struct LogicalScreen {
  uint16_t width = 0;
  uint16_t height = 0;
  size_t globalTableSize = 0;  // bytes of the global colour table, 0 when there is none
  size_t firstBlock = 0;       // 13 + globalTableSize: where the blocks begin
};

// The header, the logical screen descriptor and the global colour table. Nothing when the
// signature is wrong, the data ends inside them, or either side of the screen is 0.
std::optional<LogicalScreen> ReadLogicalScreen(std::span<const uint8_t> data);

enum class BlockKind { kApplication, kComment, kGraphicControl, kPlainText, kImage, kTrailer };

struct Block {
  BlockKind kind;
  size_t length;  // the whole block, its data sub-blocks and their terminator included
};

// The block starting at `offset`. Extensions are measured by their sub-block chain (the first
// sub-block holds the fixed fields), images by their descriptor, local colour table, code size
// byte and sub-block chain. Nothing for an unrecognised block or one that ends beyond the data.
std::optional<Block> MeasureBlock(std::span<const uint8_t> data, size_t offset);

struct Frame {
  size_t start = 0;        // first byte: its graphic control extension, or the image itself
  size_t imageOffset = 0;  // the image descriptor
  size_t end = 0;          // one past the image's data
  uint16_t left = 0;
  uint16_t top = 0;
  uint16_t width = 0;
  uint16_t height = 0;
  int32_t delay = -1;     // hundredths of a second; -1 when the frame has no graphic control
  uint32_t disposal = 0;  // 2 restores the background, 3 the picture before the frame
};

struct Limits {
  size_t maxGraphics = 1000;  // graphic blocks walked; later ones are not looked at
  // Pixels over all frames, each counted at its own size: every frame becomes a decoded
  // bitmap, so a file of many large frames must not exhaust memory or the handle table.
  uint64_t maxFramePixels = 64ull * 1024 * 1024;
};

struct Layout {
  LogicalScreen screen;
  // Images and plain-text blocks met before the walk stopped. One means the file is a still
  // picture for the whole-picture loader.
  size_t graphicBlocks = 0;
  // The images among them, in order, as far as the limits allow. Plain-text blocks have no
  // image to show and are not frames.
  std::vector<Frame> frames;
};

// Walks the whole file. Nothing when the logical screen cannot be read.
std::optional<Layout> ReadLayout(std::span<const uint8_t> data, const Limits& limits = {});

// The frame as a GIF of its own: the source's header and global colour table with a logical
// screen the size of the frame, the frame's blocks with the image moved to (0, 0), then the
// trailer. Drawn whole into the frame's rectangle it lands where the source puts it, whichever
// way the loader sizes a picture. Empty when the frame lies outside the data.
std::vector<uint8_t> StandaloneFrame(std::span<const uint8_t> data, const LogicalScreen& screen, const Frame& frame);

// How long a frame stays: its delay when it is 5 hundredths or more, else a tenth of a second
// (many files say 0 and mean "as fast as is sensible").
uint32_t FrameMilliseconds(int32_t delay);

}  // namespace zp::gif
