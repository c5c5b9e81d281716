// Whether a path names a file the player could open or start.
#pragma once

#include <string>

namespace zp::services {

// A file (not a folder) exists at the path.
bool IsExistingFile(const std::wstring& path);

}  // namespace zp::services
