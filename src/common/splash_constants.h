// The constants the player and the splash program both compile: the names are handed to the
// system unchanged and compared nowhere.
#pragma once

namespace zp {

// The mailslot the splash program owns and the player writes its one message into.
inline constexpr wchar_t kPreloaderSlotName[] = L"\\\\.\\mailslot\\ZentrapolisPreloader";
// The splash picture beside the disc's autorun file.
inline constexpr wchar_t kSplashPictureFile[] = L"Curtainer.jpg";
// The key of the disc's autorun file that names the player.
inline constexpr wchar_t kAutorunPlayerKey[] = L"auxopen";

}  // namespace zp
