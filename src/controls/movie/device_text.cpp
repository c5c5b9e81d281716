#include "device_text.h"

#include <string>
#include <string_view>

#include "core/text.h"

namespace zp::movie {

namespace gp = Gdiplus::DllExports;

namespace {

enum class Kind { kSans, kSerif, kTypewriter };

Kind KindOf(std::u16string_view face) {
  for (auto name : {u"_typewriter", u"Courier New", u"Courier"}) {
    if (EqualsNoCase(face, name)) return Kind::kTypewriter;
  }
  for (auto name : {u"_serif", u"Times New Roman", u"Times"}) {
    if (EqualsNoCase(face, name)) return Kind::kSerif;
  }
  return Kind::kSans;
}

Gdiplus::GpFontFamily* TryFamily(std::u16string_view name) {
  if (name.empty() || name.front() == u'_') return nullptr;
  const std::wstring wide(name.begin(), name.end());
  Gdiplus::GpFontFamily* family = nullptr;
  if (gp::GdipCreateFontFamilyFromName(wide.c_str(), nullptr, &family) != Gdiplus::Ok) return nullptr;
  return family;
}

// The family itself, else the usual families of its kind, else the system's generic one.
Gdiplus::GpFontFamily* FindFamily(std::u16string_view face) {
  if (auto* family = TryFamily(face)) return family;
  const Kind kind = KindOf(face);
  static constexpr std::u16string_view kTypewriters[] = {u"Courier New", u"Liberation Mono", u"DejaVu Sans Mono"};
  static constexpr std::u16string_view kSerifs[] = {u"Times New Roman", u"Liberation Serif", u"DejaVu Serif"};
  static constexpr std::u16string_view kSans[] = {u"Arial", u"Liberation Sans", u"DejaVu Sans"};
  const auto& candidates = kind == Kind::kTypewriter ? kTypewriters : kind == Kind::kSerif ? kSerifs : kSans;
  for (auto name : candidates) {
    if (auto* family = TryFamily(name)) return family;
  }
  Gdiplus::GpFontFamily* generic = nullptr;
  const auto status = kind == Kind::kTypewriter ? gp::GdipGetGenericFontFamilyMonospace(&generic)
                      : kind == Kind::kSerif    ? gp::GdipGetGenericFontFamilySerif(&generic)
                                                : gp::GdipGetGenericFontFamilySansSerif(&generic);
  if (status != Gdiplus::Ok || !generic) return nullptr;
  Gdiplus::GpFontFamily* copy = nullptr;  // the generic family is the library's; draw with a clone
  return gp::GdipCloneFontFamily(generic, &copy) == Gdiplus::Ok ? copy : nullptr;
}

}  // namespace

void DrawDeviceText(Gdiplus::GpGraphics* graphics, const zp::swf::DrawItem& item) {
  const zp::swf::DeviceText& text = *item.text;
  if (text.text.empty() || !(text.size > 0)) return;
  Gdiplus::GpFontFamily* family = FindFamily(text.face);
  if (!family) return;
  const INT style = (text.bold ? Gdiplus::FontStyleBold : 0) | (text.italic ? Gdiplus::FontStyleItalic : 0) |
                    (text.underline ? Gdiplus::FontStyleUnderline : 0);
  Gdiplus::GpFont* font = nullptr;
  Gdiplus::GpSolidFill* brush = nullptr;
  Gdiplus::GpMatrix* saved = nullptr;
  Gdiplus::GpMatrix* placement = nullptr;
  const auto& m = text.toDevice;
  if (gp::GdipCreateFont(family, static_cast<float>(text.size), style, Gdiplus::UnitWorld, &font) == Gdiplus::Ok &&
      gp::GdipCreateSolidFill((static_cast<Gdiplus::ARGB>(item.color.a) << 24) | (item.color.r << 16) |
                                  (item.color.g << 8) | item.color.b,
                              &brush) == Gdiplus::Ok &&
      gp::GdipCreateMatrix(&saved) == Gdiplus::Ok &&
      gp::GdipCreateMatrix2(static_cast<float>(m.a), static_cast<float>(m.b), static_cast<float>(m.c),
                            static_cast<float>(m.d), static_cast<float>(m.tx), static_cast<float>(m.ty),
                            &placement) == Gdiplus::Ok) {
    // The string is placed by its top; the movie gives where its baseline starts.
    UINT16 emHeight = 0, cellAscent = 0;
    gp::GdipGetEmHeight(family, style, &emHeight);
    gp::GdipGetCellAscent(family, style, &cellAscent);
    const double ascent = emHeight ? text.size * cellAscent / emHeight : text.size * 0.9;
    gp::GdipGetWorldTransform(graphics, saved);
    gp::GdipMultiplyWorldTransform(graphics, placement, Gdiplus::MatrixOrderPrepend);
    gp::GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAlias);
    Gdiplus::GpStringFormat* generic = nullptr;
    Gdiplus::GpStringFormat* format = nullptr;
    gp::GdipStringFormatGetGenericTypographic(&generic);
    if (generic) gp::GdipCloneStringFormat(generic, &format);
    if (format) {
      gp::GdipSetStringFormatAlign(format, text.anchor == zp::swf::DeviceText::Anchor::kEnd      ? Gdiplus::StringAlignmentFar
                                           : text.anchor == zp::swf::DeviceText::Anchor::kMiddle ? Gdiplus::StringAlignmentCenter
                                                                                                 : Gdiplus::StringAlignmentNear);
    }
    const std::wstring wide(text.text.begin(), text.text.end());
    const Gdiplus::RectF at(static_cast<float>(text.origin.x), static_cast<float>(text.origin.y - ascent), 0, 0);
    gp::GdipDrawString(graphics, wide.c_str(), static_cast<INT>(wide.size()), font, &at, format, brush);
    if (format) gp::GdipDeleteStringFormat(format);
    gp::GdipSetWorldTransform(graphics, saved);
  }
  if (placement) gp::GdipDeleteMatrix(placement);
  if (saved) gp::GdipDeleteMatrix(saved);
  if (brush) gp::GdipDeleteBrush(brush);
  if (font) gp::GdipDeleteFont(font);
  gp::GdipDeleteFontFamily(family);
}

}  // namespace zp::movie
