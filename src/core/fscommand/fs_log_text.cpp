#include "core/fscommand/fs_log_text.h"

namespace zp {

std::u16string_view KeepFsLogText(std::u16string_view text, size_t lineCount) {
  if (lineCount < kFsLogLineCap) return text;
  const std::u16string_view half = text.substr(text.size() / 2);
  const size_t lineFeed = half.find(u'\n');
  if (lineFeed == std::u16string_view::npos) return {};
  return half.substr(lineFeed + 1);
}

std::u16string FormatFsLogLine(std::u16string_view format, const std::vector<std::u16string_view>& args) {
  std::u16string line;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    const char16_t c = format[i];
    if (c != u'%' || i + 1 == format.size()) {
      line.push_back(c);
      continue;
    }
    const std::u16string_view rest = format.substr(i + 1);
    if (rest[0] == u'%') {
      line.push_back(u'%');
      i += 1;
    } else if (rest[0] == u's' || rest.starts_with(u"ls")) {
      if (next < args.size()) line.append(args[next]);
      ++next;
      i += rest[0] == u's' ? 1 : 2;
    } else {
      line.push_back(c);
    }
  }
  return line;
}

}  // namespace zp
