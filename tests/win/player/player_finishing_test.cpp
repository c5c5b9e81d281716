// The player window's About command and its background sound, built in-process from picture
// presentations (no movie control needed).
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/layout/context_menu.h"
#include "media_samples.h"
#include "platform/platform.h"
#include "platform/wide.h"
#include "player/player_dialog.h"
#include "pump_until.h"
#include "test_files.h"

namespace zp::player {
namespace {

std::wstring SlotName() {
  return L"\\\\.\\mailslot\\ZentrapolisFinishingTest" + std::to_wstring(GetCurrentProcessId());
}

class PlayerExtras : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = platform::CurrentDirectory();
    MovieItem item;
    item.path = item.file.path = u"a.jpg";
    item.playTime = 5;
    document_.movieList.items.push_back(item);
    document_.sizeOptions.sizeMode = 1;
    document_.menuAboutOptions.hideAbout = 0;
    document_.productInfo.title = u"Show";
  }
  void TearDown() override {
    dialog_.reset();
    platform::ChangeCurrentDirectory(directory_);
  }
  PlayerDialog& Open() {
    dialog_ = std::make_unique<PlayerDialog>(document_, temp_.path(), nullptr);
    dialog_->SetPreloaderSlotName(SlotName());
    EXPECT_TRUE(dialog_->CreateModeless(PlayerDialog::kTemplateId, nullptr));
    return *dialog_;
  }
  bool MenuOffersAbout() {
    for (const auto& entry : dialog_->ContextMenuEntries()) {
      if (entry.command == layout::kCommandAbout) return true;
    }
    return false;
  }

  DocumentModel document_;
  test::ScratchDirectory temp_;
  std::u16string directory_;
  std::unique_ptr<PlayerDialog> dialog_;
};

TEST_F(PlayerExtras, TheContextMenuOffersAboutOnlyWhereNoSystemMenuCanBeReached) {
  Open();
  EXPECT_FALSE(MenuOffersAbout());  // the caption's system menu has it
  document_.appearanceOptions.hasFrame = 0;
  Open();
  EXPECT_TRUE(MenuOffersAbout());
  document_.menuAboutOptions.hideAbout = 1;
  Open();
  EXPECT_FALSE(MenuOffersAbout());
}

// Closes every About box of this thread once, from a timer, counting how many were up and
// noting the owner of the last.
int aboutBoxesSeen = 0;
HWND aboutOwner = nullptr;
bool closerRan = false;
void CALLBACK CloseAboutBoxes(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  closerRan = true;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t caption[64] = {};
        GetWindowTextW(window, caption, 64);
        if (std::wstring(caption) == L"About Show" && IsWindowVisible(window)) {
          ++aboutBoxesSeen;
          aboutOwner = GetWindow(window, GW_OWNER);
          PostMessageW(window, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
      },
      0);
}

TEST_F(PlayerExtras, ASecondAboutCommandWhileTheBoxIsUpOpensNothing) {
  // A transparent player gives the box no owner and stays usable meanwhile; an opaque one owns it.
  for (const int windowMode : {2, 0}) {
    document_.appearanceOptions.windowMode = windowMode;
    PlayerDialog& dialog = Open();
    aboutBoxesSeen = 0;
    aboutOwner = reinterpret_cast<HWND>(-1);
    PostMessageW(dialog.hwnd(), WM_SYSCOMMAND, PlayerDialog::kAboutCommand, 0);
    PostMessageW(dialog.hwnd(), WM_SYSCOMMAND, PlayerDialog::kAboutCommand, 0);
    SetTimer(nullptr, 0, 300, &CloseAboutBoxes);
    EXPECT_TRUE(test::PumpUntil([&] { return aboutBoxesSeen > 0 && !dialog.aboutBoxOpen(); }, 10000));
    EXPECT_EQ(aboutBoxesSeen, 1) << windowMode;
    EXPECT_EQ(aboutOwner, windowMode == 2 ? nullptr : dialog.hwnd());
    EXPECT_TRUE(IsWindowEnabled(dialog.hwnd()));
  }
}

TEST_F(PlayerExtras, AHiddenAboutBoxOpensFromNoCommand) {
  document_.menuAboutOptions.hideAbout = 1;
  const struct {
    UINT message;
    WPARAM command;
  } routes[] = {{WM_SYSCOMMAND, PlayerDialog::kAboutCommand}, {WM_SYSCOMMAND, PlayerDialog::kAboutCommand | 2},
                {WM_COMMAND, layout::kCommandAbout}};
  for (const auto& route : routes) {
    PlayerDialog& dialog = Open();
    aboutBoxesSeen = 0;
    closerRan = false;
    PostMessageW(dialog.hwnd(), route.message, route.command, 0);
    SetTimer(nullptr, 0, 300, &CloseAboutBoxes);
    ASSERT_TRUE(test::PumpUntil([&] { return closerRan; }, 10000));
    EXPECT_EQ(aboutBoxesSeen, 0) << route.message << " " << route.command;
    EXPECT_FALSE(dialog.aboutBoxOpen());
  }
}

TEST_F(PlayerExtras, PlayWhileTheSoundPlaysGoesOnWithItInsteadOfStartingItAgain) {
  const std::u16string wave = temp_.File(u"music.wav");
  ASSERT_TRUE(test::WriteBytes(wave, test::SilentWave()));
  document_.backgroundSound.enabled = 1;
  document_.backgroundSound.path = wave;
  PlayerDialog& dialog = Open();
  const HWND playing = dialog.backgroundSound().mciWindow();
  ASSERT_NE(playing, nullptr);
  SendMessageW(dialog.hwnd(), WM_COMMAND, layout::kCommandPlay, 0);
  SendMessageW(dialog.hwnd(), WM_COMMAND, layout::kCommandPlay, 0);
  EXPECT_EQ(dialog.backgroundSound().mciWindow(), playing);
  EXPECT_TRUE(IsWindow(playing));
}

TEST_F(PlayerExtras, WithoutAutoStartPlayStartsTheSound) {
  const std::u16string wave = temp_.File(u"music.wav");
  ASSERT_TRUE(test::WriteBytes(wave, test::SilentWave()));
  document_.backgroundSound.enabled = 1;
  document_.backgroundSound.path = wave;
  document_.behaviourOptions.autoStart = 0;
  PlayerDialog& dialog = Open();
  EXPECT_EQ(dialog.backgroundSound().mciWindow(), nullptr);
  SendMessageW(dialog.hwnd(), WM_COMMAND, layout::kCommandPlay, 0);
  EXPECT_NE(dialog.backgroundSound().mciWindow(), nullptr);
  EXPECT_EQ(dialog.backgroundSound().path(), ToWide(wave));
}

}  // namespace
}  // namespace zp::player
