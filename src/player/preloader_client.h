// The player's end of the splash program's mailslot: opened at window set-up, written once.
#pragma once

#include <string>

#include "common/splash_constants.h"
#include "framework/unique_handle.h"

namespace zp::player {

class PreloaderClient {
 public:
  explicit PreloaderClient(std::wstring slotName = kPreloaderSlotName) : slotName_(std::move(slotName)) {}

  // Opens the slot for writing (read sharing, existing only). Without a waiting splash program
  // the handle stays invalid and Signal does nothing.
  void Open();
  // Writes one 4-byte message (the handle's value), ignores the result and closes the handle;
  // later calls do nothing.
  void Signal();
  bool isOpen() const { return handle_.valid(); }

 private:
  std::wstring slotName_;
  win::UniqueFileHandle handle_;
};

}  // namespace zp::player
