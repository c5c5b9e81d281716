// Names that come out of a package decide where files are written; these checks keep every
// such file inside the directory it is meant for.
#pragma once

#include <string_view>

namespace zp {

// A bare file name: not empty, no separator ('\\' or '/'), no drive or stream colon, not "."
// or "..", no control characters.
bool IsPlainFileName(std::u16string_view name);

// A relative path of plain names separated by backslashes or slashes: no root, no drive, no
// ".." or "." piece, no empty piece.
bool IsContainedRelativePath(std::u16string_view path);

}  // namespace zp
