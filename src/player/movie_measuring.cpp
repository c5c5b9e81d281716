#include "player/movie_measuring.h"

#include <wincodec.h>
#include <wrl/client.h>

#include "player/shockwave_flash.h"
#include "platform/wide.h"

namespace zp::player {
namespace {

// The imaging component's factory, by class: nothing to link beyond COM itself.
constexpr CLSID kImagingFactoryClsid = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};

}  // namespace

std::optional<MeasuredMovie> MeasureThroughControl(HWND parent, const std::u16string& path) {
  CShockwaveFlash control;
  if (!control.Create(parent, RECT{0, 0, 600, 400}, 0, false)) return std::nullopt;
  control.PutMovie(ToWide(path));
  control.StopPlay();
  MeasuredMovie measured;
  measured.width = LeadingInteger(FromWide(control.TGetProperty(L"/", 8)));
  measured.height = LeadingInteger(FromWide(control.TGetProperty(L"/", 9)));
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
  using Microsoft::WRL::ComPtr;
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(kImagingFactoryClsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                              reinterpret_cast<void**>(factory.GetAddressOf()))))
    return std::nullopt;
  ComPtr<IWICBitmapDecoder> decoder;
  const std::wstring wide = ToWide(path);
  if (FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                &decoder)))
    return std::nullopt;
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT width = 0, height = 0;
  if (FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height))) return std::nullopt;
  return std::make_pair(static_cast<int>(width), static_cast<int>(height));
}

}  // namespace zp::player
