// Where a movie's trace lines go: the debugger's output, and a file that tests name.
#pragma once

#include <string>
#include <vector>

namespace zp::movie {

// Sends each line to OutputDebugStringW and, when the environment variable
// "ZENTRA_MOVIE_TRACE" names a file, appends the lines to it as UTF-8, one per line.
void WriteTraceLines(const std::vector<std::u16string>& lines);

}  // namespace zp::movie
