#include "core/swf/swf_drawing.h"

namespace zp::swf {
namespace {

// Beyond this many points a drawing takes no more: a script drawing in a loop stays bounded.
constexpr size_t kMaxPoints = 1 << 20;

}  // namespace

void ScriptDrawing::FinishStroke() {
  dirty_ = true;
  if (!stroke_) return;
  if (!stroke_->contours.empty()) (fill_ ? strokes_ : parts_).push_back(std::move(*stroke_));
  stroke_.reset();
}

void ScriptDrawing::SetLineStyle(std::optional<LineStyle> line) {
  FinishStroke();
  line_ = std::move(line);
  penMoved_ = true;
}

void ScriptDrawing::BeginFill(const Paint& paint) {
  dirty_ = true;
  EndFill();
  fill_ = ShapePart{};
  fill_->paint = paint;
  penMoved_ = true;
}

void ScriptDrawing::EndFill() {
  dirty_ = true;
  FinishStroke();
  if (fill_) {
    // A fill always closes: its last contour returns to where it began.
    for (Contour& c : fill_->contours) {
      if (c.size() > 1 && !(c.front() == c.back())) c.push_back(c.front());
    }
    if (!fill_->contours.empty()) parts_.push_back(std::move(*fill_));
    fill_.reset();
  }
  for (ShapePart& s : strokes_) parts_.push_back(std::move(s));
  strokes_.clear();
  penMoved_ = true;
}

void ScriptDrawing::Clear() {
  points_ = 0;
  dirty_ = true;
  parts_.clear();
  fill_.reset();
  strokes_.clear();
  stroke_.reset();
  line_.reset();
  pen_ = {};
  penMoved_ = true;
}

void ScriptDrawing::MoveTo(Point p) {
  pen_ = p;
  penMoved_ = true;
}

void ScriptDrawing::AddPoint(Point p) {
  if (points_ > kMaxPoints) return;
  points_ += 2;
  dirty_ = true;
  if (penMoved_) {
    if (fill_) fill_->contours.push_back({pen_});
    if (line_) {
      if (!stroke_) {
        stroke_ = ShapePart{};
        stroke_->stroke = true;
        stroke_->line = *line_;
        stroke_->paint = line_->paint;
      }
      stroke_->contours.push_back({pen_});
    }
    penMoved_ = false;
  }
  if (fill_) fill_->contours.back().push_back(p);
  if (stroke_) stroke_->contours.back().push_back(p);
  pen_ = p;
}

void ScriptDrawing::LineTo(Point p) { AddPoint(p); }

void ScriptDrawing::CurveTo(Point control, Point end) {
  const Point start = pen_;
  for (int i = 1; i <= kCurveSegments; ++i) {
    const double t = static_cast<double>(i) / kCurveSegments, u = 1 - t;
    AddPoint({u * u * start.x + 2 * u * t * control.x + t * t * end.x,
              u * u * start.y + 2 * u * t * control.y + t * t * end.y});
  }
}

const ShapeGeometry& ScriptDrawing::geometry() const {
  if (!dirty_) return built_;
  dirty_ = false;
  built_.parts = parts_;
  if (fill_) {
    ShapePart open = *fill_;
    for (Contour& c : open.contours) {
      if (c.size() > 1 && !(c.front() == c.back())) c.push_back(c.front());
    }
    built_.parts.push_back(std::move(open));
  }
  for (const ShapePart& s : strokes_) built_.parts.push_back(s);
  if (stroke_ && !stroke_->contours.empty()) built_.parts.push_back(*stroke_);
  return built_;
}

}  // namespace zp::swf
