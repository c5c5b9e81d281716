// The FSCommand log's text rules: the 800-line cap that halves the text at a line boundary, and
// filling a log format with its arguments.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zp {

inline constexpr size_t kFsLogLineCap = 800;

// The text to keep before appending: all of it below the cap; at or above it, the second half
// (from length / 2) without the partial line it starts in, so that the log begins at a whole
// line. A second half without any line feed is one unfinished line and is dropped whole.
std::u16string_view KeepFsLogText(std::u16string_view text, size_t lineCount);

// Replaces each "%s" (or "%ls") of `format` with the next argument, and "%%" with "%". Any other
// conversion is copied as it is and consumes nothing, so a damaged resource string can never
// read arguments that are not there.
std::u16string FormatFsLogLine(std::u16string_view format, const std::vector<std::u16string_view>& args);

}  // namespace zp
