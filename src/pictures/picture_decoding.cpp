#include "pictures/picture_decoding.h"

#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstring>

#include "core/document/document_model.h"
#include "core/pictures/metafile_bits.h"
#include "core/pictures/picture_header.h"
#include "core/pictures/sharpen.h"
#include "core/text.h"
#include "package/gdiplus_include.h"
#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::pictures {
namespace {

// The imaging component's factory, by class: nothing to link beyond COM itself.
constexpr CLSID kImagingFactoryClsid = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};

std::optional<layout::Size> MeasureRaster(const std::wstring& path) {
  using Microsoft::WRL::ComPtr;
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(kImagingFactoryClsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IWICImagingFactory),
                              reinterpret_cast<void**>(factory.GetAddressOf()))))
    return std::nullopt;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                &decoder)))
    return std::nullopt;
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT width = 0, height = 0;
  if (FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height))) return std::nullopt;
  if (width > INT32_MAX || height > INT32_MAX) return std::nullopt;
  return layout::Size{static_cast<int>(width), static_cast<int>(height)};
}

// Metafiles are measured by GDI+, which reads only their headers.
std::optional<layout::Size> MeasureMetafile(const std::wstring& path) {
  Gdiplus::Image image(path.c_str(), FALSE);
  if (image.GetLastStatus() != Gdiplus::Ok) return std::nullopt;
  const UINT width = image.GetWidth(), height = image.GetHeight();
  if (width > INT32_MAX || height > INT32_MAX) return std::nullopt;
  return layout::Size{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace

bool IsMetafilePath(const std::wstring& path) {
  const std::u16string extension = ExtensionOf(FromWide(path));
  return EqualsNoCase(extension, u"wmf") || EqualsNoCase(extension, u"emf");
}

std::optional<layout::Size> MeasurePicture(const std::wstring& path) {
  if (IsMetafilePath(path)) return MeasureMetafile(path);
  // The common formats say their size in their first bytes; some system decoders read the
  // whole picture just to be asked for it.
  platform::MappedFile file;
  file.Map(FromWide(path));
  if (const auto size = ReadPictureHeaderSize(file.bytes())) return size;
  file.Release();
  return MeasureRaster(path);
}

DecodedPicture::DecodedPicture() = default;
DecodedPicture::~DecodedPicture() { Release(); }

void DecodedPicture::Release() {
  bitmap_.reset();
  stream_.Reset();
  size_ = {};
}

bool DecodedPicture::Decode(const std::wstring& path) {
  Release();
  if (IsMetafilePath(path)) return false;
  const auto measured = MeasurePicture(path);
  if (!measured || !WithinPixelBudget(measured->width, measured->height)) return false;
  // Decoded from a copy of the file in memory, so that the file is not held open while the
  // picture is shown (the stream lives as long as the picture).
  platform::MappedFile file;
  if (file.Map(FromWide(path)) == 0 || file.size() > UINT_MAX) return false;
  stream_.Attach(SHCreateMemStream(file.data(), static_cast<UINT>(file.size())));
  file.Release();
  if (!stream_) return false;
  bitmap_.reset(new Gdiplus::Bitmap(stream_.Get(), FALSE));
  if (bitmap_->GetLastStatus() != Gdiplus::Ok ||
      !WithinPixelBudget(bitmap_->GetWidth(), bitmap_->GetHeight())) {
    Release();
    return false;
  }
  size_ = {static_cast<int>(bitmap_->GetWidth()), static_cast<int>(bitmap_->GetHeight())};
  return true;
}

win::UniqueBitmap CreateWhiteBitmap(layout::Size size, void** bits) {
  if (!WithinPixelBudget(size.width, size.height)) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.width;
  info.bmiHeader.biHeight = -size.height;  // top-down, as GDI+ writes its rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* pixels = nullptr;
  win::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
  if (!bitmap || !pixels) return {};
  const size_t stride = (size_t(size.width) * 3 + 3) & ~size_t{3};
  std::memset(pixels, 0xFF, stride * size.height);
  if (bits) *bits = pixels;
  return bitmap;
}

win::UniqueBitmap RenderPicturePart(Gdiplus::Image* image, layout::Box source, layout::Size output,
                                    Interpolation interpolation) {
  if (!image || source.IsEmpty()) return {};
  void* bits = nullptr;
  win::UniqueBitmap bitmap = CreateWhiteBitmap(output, &bits);
  if (!bitmap) return {};
  const INT stride = (output.width * 3 + 3) & ~3;
  // GDI+ draws straight into the section's pixels: no second copy to convert.
  Gdiplus::Bitmap target(output.width, output.height, stride, PixelFormat24bppRGB, static_cast<BYTE*>(bits));
  if (target.GetLastStatus() != Gdiplus::Ok) return {};
  Gdiplus::Status status;
  {
    Gdiplus::Graphics graphics(&target);
    graphics.SetInterpolationMode(static_cast<Gdiplus::InterpolationMode>(interpolation));
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    status = graphics.DrawImage(image, Gdiplus::Rect(0, 0, output.width, output.height), source.left, source.top,
                                source.Width(), source.Height(), Gdiplus::UnitPixel);
  }
  if (status != Gdiplus::Ok) return {};
  return bitmap;
}

bool SharpenBitmap(HBITMAP bitmap) {
  DIBSECTION section{};
  if (!bitmap || GetObjectW(bitmap, sizeof section, &section) != sizeof section || !section.dsBm.bmBits) return false;
  GdiFlush();
  const BITMAP& b = section.dsBm;
  const int height = b.bmHeight < 0 ? -b.bmHeight : b.bmHeight;
  std::span<uint8_t> pixels(static_cast<uint8_t*>(b.bmBits), size_t(b.bmWidthBytes) * height);
  return SharpenPixels(pixels, b.bmWidth, height, b.bmWidthBytes, b.bmBitsPixel / 8);
}

layout::Size BitmapSize(HBITMAP bitmap) {
  BITMAP b{};
  if (!bitmap || !GetObjectW(bitmap, sizeof b, &b)) return {};
  return {b.bmWidth, b.bmHeight < 0 ? -b.bmHeight : b.bmHeight};
}

win::UniqueEnhMetafile LoadMetafile(const std::wstring& path) {
  const std::u16string extension = ExtensionOf(FromWide(path));
  if (EqualsNoCase(extension, u"emf")) return win::UniqueEnhMetafile(GetEnhMetaFileW(path.c_str()));
  if (!EqualsNoCase(extension, u"wmf")) return {};
  platform::MappedFile file;
  file.Map(FromWide(path));
  const auto bits = FindWindowsMetafileBits(file.bytes());
  if (!bits) return {};
  return win::UniqueEnhMetafile(
      SetWinMetaFileBits(static_cast<UINT>(bits->size), file.data() + bits->offset, nullptr, nullptr));
}

}  // namespace zp::pictures
