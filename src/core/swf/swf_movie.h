// A movie as a timeline: the shapes it defines and, per frame, what the frame changes on the
// display list and which action blocks it runs.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/swf/swf_file.h"
#include "core/swf/swf_geometry.h"
#include "core/swf/swf_shape.h"

namespace zp::swf {

// One change to the display list, in the order the frame makes it.
struct DisplayChange {
  enum class Kind { kPlace, kRemove, kBackground };
  Kind kind = Kind::kPlace;
  uint16_t depth = 0;
  bool move = false;  // modifies the object at `depth` instead of placing a new one
  std::optional<uint16_t> character;
  std::optional<Matrix> matrix;
  std::optional<ColorTransform> colorTransform;
  Rgba background;  // kBackground only
};

struct Frame {
  std::vector<DisplayChange> changes;
  std::vector<std::span<const uint8_t>> actions;  // DoAction bodies, pointing into the file
  std::u16string label;
};

class Movie {
 public:
  // Never fails once the file parsed: unknown or damaged tags are skipped. A movie always has
  // at least one frame; content after the last ShowFrame forms a final frame.
  static std::shared_ptr<const Movie> Build(File file);

  const Header& header() const { return file_.header(); }
  uint8_t version() const { return file_.header().version; }
  const std::vector<Frame>& frames() const { return frames_; }
  size_t FrameCount() const { return frames_.size(); }
  const ShapeDefinition* FindShape(uint16_t id) const;
  // The first frame carrying this label (compared without regard to case), if any.
  std::optional<size_t> FindLabel(std::u16string_view label) const;

 private:
  explicit Movie(File file) : file_(std::move(file)) {}
  File file_;
  std::vector<Frame> frames_;
  std::map<uint16_t, ShapeDefinition> shapes_;
};

// Bytes of a text field in the movie as UTF-16: UTF-8 from version 6, and before that bytes
// of the system code page, read here as Latin-1.
std::u16string DecodeMovieText(std::string_view bytes, uint8_t version);

}  // namespace zp::swf
