#include "core/web/browser_command.h"

#include "core/text.h"

namespace zp {

std::u16string QuoteArgument(std::u16string_view argument) {
  std::u16string quoted = u"\"";
  size_t backslashes = 0;
  for (char16_t c : argument) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only in front of a quote: double them there, and escape
    // the quote itself.
    if (c == u'"') {
      quoted.append(backslashes * 2 + 1, u'\\');
    } else {
      quoted.append(backslashes, u'\\');
    }
    backslashes = 0;
    quoted.push_back(c);
  }
  // The closing quote follows: trailing backslashes must not escape it.
  quoted.append(backslashes * 2, u'\\');
  quoted.push_back(u'"');
  return quoted;
}

std::u16string BrowserCommandLine(std::u16string_view registered, std::u16string_view address) {
  size_t cut = registered.find(u"\"%1\"");
  if (cut == std::u16string_view::npos) cut = registered.find(u"%1");
  std::u16string line(registered.substr(0, cut));
  line += u' ';
  line += QuoteArgument(address);
  return line;
}

std::u16string ProgramOfCommandLine(std::u16string_view commandLine) {
  size_t start = 0;
  while (start < commandLine.size() && IsWhiteSpace(commandLine[start])) ++start;
  commandLine.remove_prefix(start);
  if (!commandLine.empty() && commandLine.front() == u'"') {
    commandLine.remove_prefix(1);
    return std::u16string(commandLine.substr(0, commandLine.find(u'"')));
  }
  size_t end = 0;
  while (end < commandLine.size() && !IsWhiteSpace(commandLine[end])) ++end;
  return std::u16string(commandLine.substr(0, end));
}

}  // namespace zp
