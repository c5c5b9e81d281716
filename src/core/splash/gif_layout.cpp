#include "core/splash/gif_layout.h"

namespace zp::gif {

namespace {

constexpr size_t kScreenDescriptorEnd = 13;
constexpr size_t kImageDescriptorSize = 10;
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;

uint16_t ReadU16(std::span<const uint8_t> data, size_t offset) {
  return static_cast<uint16_t>(data[offset] | (data[offset + 1] << 8));
}

void WriteU16(std::vector<uint8_t>& out, size_t offset, uint16_t value) {
  out[offset] = static_cast<uint8_t>(value & 0xFF);
  out[offset + 1] = static_cast<uint8_t>(value >> 8);
}

// Bytes of a colour table whose packed field says `packed`; 0 without the table flag.
size_t ColourTableSize(uint8_t packed) { return (packed & 0x80) ? size_t{3} << ((packed & 7) + 1) : 0; }

// The length of the data sub-blocks from `offset`, their zero terminator included.
std::optional<size_t> SubBlockChainLength(std::span<const uint8_t> data, size_t offset) {
  size_t position = offset;
  for (;;) {
    if (position >= data.size()) return std::nullopt;
    const size_t size = data[position];
    if (size == 0) return position + 1 - offset;
    if (size > data.size() - position - 1) return std::nullopt;
    position += size + 1;
  }
}

std::optional<BlockKind> ExtensionKind(uint8_t label) {
  switch (label) {
    case 0xFF: return BlockKind::kApplication;
    case 0xFE: return BlockKind::kComment;
    case 0xF9: return BlockKind::kGraphicControl;
    case 0x01: return BlockKind::kPlainText;
    default: return std::nullopt;
  }
}

// Delay and disposal from the graphic control extension at `offset` (already measured, so its
// first sub-block lies inside the data). A sub-block too short for the fields gives neither.
void ReadGraphicControl(std::span<const uint8_t> data, size_t offset, Frame& frame) {
  if (data[offset + 2] < 4) return;
  frame.disposal = (data[offset + 3] >> 2) & 7;
  frame.delay = ReadU16(data, offset + 4);
}

}  // namespace

bool HasGifSignature(std::span<const uint8_t> data) {
  if (data.size() < 6 || data[0] != 'G' || data[1] != 'I' || data[2] != 'F') return false;
  return data[3] == '8' && (data[4] == '7' || data[4] == '9') && data[5] == 'a';
}

std::optional<LogicalScreen> ReadLogicalScreen(std::span<const uint8_t> data) {
  if (!HasGifSignature(data) || data.size() < kScreenDescriptorEnd) return std::nullopt;
  LogicalScreen screen;
  screen.width = ReadU16(data, 6);
  screen.height = ReadU16(data, 8);
  screen.globalTableSize = ColourTableSize(data[10]);
  screen.firstBlock = kScreenDescriptorEnd + screen.globalTableSize;
  if (screen.width == 0 || screen.height == 0 || screen.firstBlock > data.size()) return std::nullopt;
  return screen;
}

std::optional<Block> MeasureBlock(std::span<const uint8_t> data, size_t offset) {
  if (offset >= data.size()) return std::nullopt;
  switch (data[offset]) {
    case kTrailer:
      return Block{BlockKind::kTrailer, 1};
    case kExtensionIntroducer: {
      if (data.size() - offset < 2) return std::nullopt;
      const auto kind = ExtensionKind(data[offset + 1]);
      if (!kind) return std::nullopt;
      const auto chain = SubBlockChainLength(data, offset + 2);
      if (!chain) return std::nullopt;
      return Block{*kind, 2 + *chain};
    }
    case kImageSeparator: {
      if (data.size() - offset < kImageDescriptorSize) return std::nullopt;
      const size_t localTable = ColourTableSize(data[offset + 9]);
      // The descriptor, its colour table and the code size byte come before the sub-blocks.
      const size_t head = kImageDescriptorSize + localTable + 1;
      if (head > data.size() - offset) return std::nullopt;
      const auto chain = SubBlockChainLength(data, offset + head);
      if (!chain) return std::nullopt;
      return Block{BlockKind::kImage, head + *chain};
    }
    default:
      return std::nullopt;
  }
}

std::optional<Layout> ReadLayout(std::span<const uint8_t> data, const Limits& limits) {
  const auto screen = ReadLogicalScreen(data);
  if (!screen) return std::nullopt;
  Layout layout;
  layout.screen = *screen;

  uint64_t pixels = 0;
  std::optional<size_t> pendingStart;  // a graphic control waiting for its image
  size_t position = screen->firstBlock;
  while (layout.graphicBlocks < limits.maxGraphics) {
    const auto block = MeasureBlock(data, position);
    if (!block || block->kind == BlockKind::kTrailer) break;
    const size_t offset = position;
    position += block->length;
    if (block->kind == BlockKind::kGraphicControl) {
      // A frame starts at its first graphic control; later extensions travel with it.
      if (!pendingStart) pendingStart = offset;
      continue;
    }
    if (block->kind == BlockKind::kApplication || block->kind == BlockKind::kComment) continue;

    ++layout.graphicBlocks;
    const std::optional<size_t> start = pendingStart;
    pendingStart.reset();
    if (block->kind == BlockKind::kPlainText) continue;

    Frame frame;
    frame.start = start.value_or(offset);
    frame.imageOffset = offset;
    frame.end = position;
    frame.left = ReadU16(data, offset + 1);
    frame.top = ReadU16(data, offset + 3);
    frame.width = ReadU16(data, offset + 5);
    frame.height = ReadU16(data, offset + 7);
    if (start) ReadGraphicControl(data, *start, frame);

    pixels += uint64_t{frame.width} * frame.height;
    if (pixels > limits.maxFramePixels) break;
    layout.frames.push_back(frame);
  }
  return layout;
}

std::vector<uint8_t> StandaloneFrame(std::span<const uint8_t> data, const LogicalScreen& screen, const Frame& frame) {
  if (screen.firstBlock > data.size() || screen.firstBlock < kScreenDescriptorEnd || frame.end > data.size() ||
      frame.start > frame.imageOffset || frame.imageOffset > frame.end ||
      frame.end - frame.imageOffset < kImageDescriptorSize) {
    return {};
  }
  std::vector<uint8_t> out;
  out.reserve(screen.firstBlock + (frame.end - frame.start) + 1);
  out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(screen.firstBlock));
  WriteU16(out, 6, frame.width);
  WriteU16(out, 8, frame.height);
  const size_t image = out.size() + (frame.imageOffset - frame.start);
  out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(frame.start),
             data.begin() + static_cast<std::ptrdiff_t>(frame.end));
  WriteU16(out, image + 1, 0);
  WriteU16(out, image + 3, 0);
  out.push_back(kTrailer);
  return out;
}

uint32_t FrameMilliseconds(int32_t delay) { return delay >= 5 ? static_cast<uint32_t>(delay) * 10 : 100; }

}  // namespace zp::gif
