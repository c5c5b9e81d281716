#include "core/document/document_model.h"

#include "core/text.h"

namespace zp {

std::vector<uint8_t> DefaultPanelFont() {
  // LOGFONTW: height, width, escapement, orientation, weight (five LONGs), eight BYTEs, then a
  // face name of 32 WCHARs. Ten points at 96 dots per inch are 13 pixels of character height.
  std::vector<uint8_t> font(kLogFontSize, 0);
  const int32_t height = -13;
  const int32_t weight = 400;
  for (int i = 0; i < 4; ++i) {
    font[i] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (8 * i));
    font[16 + i] = static_cast<uint8_t>(static_cast<uint32_t>(weight) >> (8 * i));
  }
  font[23] = 1;  // DEFAULT_CHARSET
  const std::u16string_view face = u"Microsoft Sans Sarif";
  for (size_t i = 0; i < face.size(); ++i) {
    font[28 + 2 * i] = static_cast<uint8_t>(face[i] & 0xFF);
    font[28 + 2 * i + 1] = static_cast<uint8_t>(face[i] >> 8);
  }
  return font;
}

std::u16string ExtensionOf(std::u16string_view path) {
  const size_t nameStart = path.find_last_of(u"\\/");
  const std::u16string_view name = nameStart == std::u16string_view::npos ? path : path.substr(nameStart + 1);
  const size_t dot = name.rfind(u'.');
  if (dot == std::u16string_view::npos) return {};
  return std::u16string(name.substr(dot + 1));
}

MovieKind KindOfPath(std::u16string_view path) {
  const std::u16string extension = ExtensionOf(path);
  if (EqualsNoCase(extension, u"swf")) return MovieKind::kFlash;
  for (std::u16string_view picture : {u"jpg", u"jpeg", u"bmp", u"gif", u"wmf", u"emf", u"exif", u"ico", u"png",
                                      u"tiff", u"tif"}) {
    if (EqualsNoCase(extension, picture)) return MovieKind::kPicture;
  }
  if (EqualsNoCase(extension, u"htm") || EqualsNoCase(extension, u"html")) return MovieKind::kWebPage;
  return MovieKind::kUnplayable;
}

}  // namespace zp
