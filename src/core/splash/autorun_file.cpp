#include "core/splash/autorun_file.h"

#include <string>

#include "core/text.h"

namespace zp::splash {

namespace {

std::u16string Utf16Text(std::span<const uint8_t> bytes, bool bigEndian) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = bytes[i];
    const auto second = bytes[i + 1];
    text.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  return text;
}

std::u16string_view Unquoted(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Calls `line` with each line of the text (CR, LF or CR LF ends one) until it returns true.
template <typename LineHandler>
void ForEachLine(std::u16string_view text, LineHandler line) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) end = text.size();
    if (line(text.substr(start, end - start))) return;
    if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n') ++end;
    start = end + 1;
  }
}

}  // namespace

std::optional<std::u16string> DecodeUnicodeIniText(std::span<const uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return Utf16Text(bytes.subspan(2), false);
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return Utf16Text(bytes.subspan(2), true);
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) bytes = bytes.subspan(3);
  const std::string_view narrow(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  // Valid UTF-8 is exactly what survives the way there and back unchanged.
  std::u16string text = Utf8ToU16(narrow);
  if (U16ToUtf8(text) != narrow) return std::nullopt;
  return text;
}

std::optional<std::u16string> IniValue(std::u16string_view text, std::u16string_view section, std::u16string_view key) {
  std::optional<std::u16string> found;
  bool inSection = false;
  ForEachLine(text, [&](std::u16string_view rawLine) {
    const std::u16string_view line = TrimWhiteSpace(rawLine);
    if (line.empty() || line.front() == u';') return false;
    if (line.front() == u'[') {
      const size_t close = line.find(u']');
      const std::u16string_view name = line.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1);
      inSection = EqualsNoCase(TrimWhiteSpace(name), section);
      return false;
    }
    const size_t equals = line.find(u'=');
    if (!inSection || equals == std::u16string_view::npos) return false;
    if (!EqualsNoCase(TrimWhiteSpace(line.substr(0, equals)), key)) return false;
    found = std::u16string(Unquoted(TrimWhiteSpace(line.substr(equals + 1))));
    return true;
  });
  return found;
}

std::optional<std::u16string> AutorunProgramPath(std::u16string_view folder, std::u16string_view iniText,
                                                 std::u16string_view key) {
  const auto value = IniValue(iniText, u"autorun", key);
  if (!value || value->empty()) return std::nullopt;
  return std::u16string(folder) + u"\\" + *value;
}

}  // namespace zp::splash
