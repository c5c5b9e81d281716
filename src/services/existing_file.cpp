#include "services/existing_file.h"

#include "platform/platform.h"
#include "platform/wide.h"

namespace zp::services {

bool IsExistingFile(const std::wstring& path) {
  const auto attributes = platform::ReadAttributes(FromWide(path));
  return attributes && !(*attributes & platform::kAttributeDirectory);
}

}  // namespace zp::services
