#include "player/movie_measuring.h"

#include "common/movie_ids.h"
#include "pictures/picture_decoding.h"
#include "player/shockwave_flash.h"
#include "platform/wide.h"

namespace zp::player {

std::optional<MeasuredMovie> MeasureThroughControl(HWND parent, const std::u16string& path) {
  CShockwaveFlash control;
  if (!control.Create(parent, RECT{0, 0, 600, 400}, 0, false)) return std::nullopt;
  control.PutMovie(ToWide(path));
  control.StopPlay();
  MeasuredMovie measured;
  measured.width = LeadingInteger(FromWide(control.TGetProperty(L"/", movie::kPropertyWidth)));
  measured.height = LeadingInteger(FromWide(control.TGetProperty(L"/", movie::kPropertyHeight)));
  const long frames = control.TotalFrames();
  measured.frameCount = frames > 0 ? static_cast<uint32_t>(frames) : 0;
  control.Destroy();
  return measured;
}

std::optional<MovieInfo> PlayerSequenceMeasurer::Movie(const std::u16string& path) {
  MovieInfo info;
  const HWND parent = parent_;
  if (!ReadMovieInfo(path, info, [parent](const std::u16string& file) { return MeasureThroughControl(parent, file); }))
    return std::nullopt;
  return info;
}

std::optional<std::pair<int, int>> PlayerSequenceMeasurer::Picture(const std::u16string& path) {
  const auto size = pictures::MeasurePicture(ToWide(path));
  if (!size) return std::nullopt;
  return std::make_pair(size->width, size->height);
}

}  // namespace zp::player
