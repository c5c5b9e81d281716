#include "player/preloader_client.h"

#include <cstdint>

namespace zp::player {

void PreloaderClient::Open() {
  if (handle_) return;
  handle_.reset(CreateFileW(slotName_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
}

void PreloaderClient::Signal() {
  if (!handle_) return;
  // The content means nothing; the length of 4 is what both sides keep.
  const uint32_t message = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle_.get()));
  DWORD written = 0;
  WriteFile(handle_.get(), &message, sizeof(message), &written, nullptr);
  handle_.reset();
}

}  // namespace zp::player
