#include "core/swf/movie_session.h"

#include <cmath>

#include "core/text.h"

namespace zp::swf {
namespace {

bool IsRootTarget(std::u16string_view target) {
  return target.empty() || target == u"/" || EqualsNoCase(target, u"_root") || EqualsNoCase(target, u"_level0");
}

bool IsAbsolutePath(std::u16string_view path) {
  if (path.size() >= 2 && path[1] == u':') return true;
  return !path.empty() && (path[0] == u'\\' || path[0] == u'/');
}

std::u16string WithBackslashes(std::u16string_view path) {
  std::u16string out(path);
  for (char16_t& c : out) {
    if (c == u'/') c = u'\\';
  }
  return out;
}

// "file:///C:/x" and "file://C:/x" name C:\x; "file://server/share" a network path.
std::u16string StripFileScheme(std::u16string_view text) {
  if (text.size() < 5 || !EqualsNoCase(text.substr(0, 5), u"file:")) return std::u16string(text);
  std::u16string_view rest = text.substr(5);
  if (rest.substr(0, 3) == u"///") return WithBackslashes(rest.substr(3));
  if (rest.substr(0, 2) == u"//") {
    rest = rest.substr(2);
    return (rest.size() >= 2 && rest[1] == u':') ? WithBackslashes(rest) : u"\\\\" + WithBackslashes(rest);
  }
  return WithBackslashes(rest);
}

}  // namespace

std::u16string ResolveMoviePath(std::u16string_view base, std::u16string_view movie) {
  const std::u16string_view trimmed = TrimWhiteSpace(movie);
  if (trimmed.empty()) return {};
  const std::u16string path = StripFileScheme(trimmed);
  if (IsAbsolutePath(path)) return WithBackslashes(path);
  std::u16string folder = StripFileScheme(TrimWhiteSpace(base));
  folder = WithBackslashes(folder);
  if (folder.empty()) return WithBackslashes(path);
  if (folder.back() != u'\\') folder.push_back(u'\\');
  return folder + WithBackslashes(path);
}

std::optional<uint32_t> ParseColorText(std::u16string_view text) {
  text = TrimWhiteSpace(text);
  if (!text.empty() && text[0] == u'#') {
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 6) return std::nullopt;
  uint32_t value = 0;
  for (char16_t c : text) {
    uint32_t digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
    else return std::nullopt;
    value = value * 16 + digit;
  }
  return value;
}

bool MovieSession::LoadBytes(std::span<const uint8_t> bytes, uint64_t nowMs, const ImportLoader& loader) {
  ++generation_;
  auto file = File::Parse(bytes);
  if (!file) {
    player_.Unload();
    return false;
  }
  player_.Load(Movie::Build(std::move(*file), loader), nowMs);
  xScalePercent = yScalePercent = 100;
  return true;
}

Rgba MovieSession::Background() const {
  if (backgroundRgb) {
    return {static_cast<uint8_t>(*backgroundRgb >> 16), static_cast<uint8_t>(*backgroundRgb >> 8),
            static_cast<uint8_t>(*backgroundRgb), 255};
  }
  return player_.background();  // white until a movie sets its own
}

TwipsRect MovieSession::Stage() const {
  return player_.movie() ? player_.movie()->header().stage : TwipsRect{0, 550 * 20, 0, 400 * 20};
}

ViewTransform MovieSession::View(int32_t width, int32_t height) const {
  return ComputeViewTransform(Stage(), zoom, static_cast<ScaleMode>(scaleMode >= 0 && scaleMode <= 3 ? scaleMode : 0),
                              width, height);
}

std::vector<DrawItem> MovieSession::DrawList(int32_t width, int32_t height) const {
  return BuildDrawList(player_, View(width, height), xScalePercent / 100, yScalePercent / 100);
}

void MovieSession::TrackMouse(int32_t viewX, int32_t viewY, int32_t width, int32_t height) {
  const Point twips = View(width, height).ToTwips({static_cast<double>(viewX), static_cast<double>(viewY)});
  mouseStagePixels = {twips.x / 20, twips.y / 20};
}

void MovieSession::Mouse(MouseAction action, int32_t viewX, int32_t viewY, int32_t width, int32_t height) {
  TrackMouse(viewX, viewY, width, height);
  // The root's scale is drawn about the stage origin; undo it to reach the root's space.
  const double sx = xScalePercent / 100, sy = yScalePercent / 100;
  if (sx == 0 || sy == 0 || !std::isfinite(sx) || !std::isfinite(sy)) return;
  const Point root{mouseStagePixels.x * 20 / sx, mouseStagePixels.y * 20 / sy};
  switch (action) {
    case MouseAction::kMove: player_.MouseMove(root); break;
    case MouseAction::kDown: player_.MouseDown(root); break;
    case MouseAction::kUp: player_.MouseUp(root); break;
  }
}

void MovieSession::SetZoomRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (right > left && bottom > top) {
    zoom = TwipsRect{left, right, top, bottom};
  } else {
    zoom.reset();
  }
}

std::u16string MovieSession::GetProperty(std::u16string_view target, int32_t property) const {
  if (!IsRootTarget(target)) return {};
  const bool loaded = player_.loaded();
  const TwipsRect stage = Stage();
  switch (property) {
    case 0:
    case 1:
    case 10:
      return u"0";  // _x, _y, _rotation
    case 2: return NumberToText(xScalePercent);
    case 3: return NumberToText(yScalePercent);
    case 4: return NumberToText(loaded ? static_cast<double>(player_.currentFrame() + 1) : 0);
    case 5:
    case 12:
      return NumberToText(static_cast<double>(player_.frameCount()));  // _totalframes, _framesloaded
    case 6: return u"100";  // _alpha
    case 7: return u"1";    // _visible
    case 8: return NumberToText(loaded ? std::round(stage.Width() / 20.0 * xScalePercent / 100) : 0);
    case 9: return NumberToText(loaded ? std::round(stage.Height() / 20.0 * yScalePercent / 100) : 0);
    case 13: return u"_level0";
    case 16: return NumberToText(highQuality);
    case 20: return NumberToText(std::floor(mouseStagePixels.x));
    case 21: return NumberToText(std::floor(mouseStagePixels.y));
    default: return {};
  }
}

void MovieSession::SetProperty(std::u16string_view target, int32_t property, std::u16string_view value) {
  if (!IsRootTarget(target)) return;
  const double number = TextToNumber(value);
  if (std::isnan(number)) return;
  switch (property) {
    case 2: xScalePercent = number; break;
    case 3: yScalePercent = number; break;
    case 16: highQuality = static_cast<int32_t>(number); break;
    default: break;  // the rest of the root's properties are not settable here
  }
}

}  // namespace zp::swf
