// The built-in table's decisions, extension results, log formats and the log cap over arbitrary
// UTF-16 text: the first byte picks the mode, the rest is split into command, arguments and a
// result at the first two NUL characters.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/fscommand/fs_builtin_rules.h"
#include "core/fscommand/fs_extension_result.h"
#include "core/fscommand/fs_log_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const zp::FsHostMode mode{(data[0] & 1) != 0, (data[0] & 2) != 0};
  std::u16string text;
  for (size_t i = 1; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  const size_t first = text.find(u'\0');
  const size_t second = first == std::u16string::npos ? first : text.find(u'\0', first + 1);
  const std::u16string command = text.substr(0, first);
  const std::u16string args = first == std::u16string::npos ? u"" : text.substr(first + 1, second - first - 1);
  const std::u16string result = second == std::u16string::npos ? u"" : text.substr(second + 1);

  const auto decision = zp::DecideFsBuiltIn(command, args, mode);
  if (decision.handled && zp::FindFsBuiltIn(command) == zp::FsBuiltIn::kNone) std::abort();
  const auto assignments = zp::FsExtensionAssignments(args, zp::SplitFsExtensionResult(result));
  if (assignments.size() > result.size()) std::abort();
  const auto line = zp::FormatFsLogLine(text, {command, args});
  if (line.size() > text.size() + command.size() + args.size()) std::abort();
  const auto kept = zp::KeepFsLogText(text, data[0] * 8u);
  if (kept.size() > text.size()) std::abort();
  return 0;
}
