// The background sound against a stand-in MCI window that records what it is sent, and against
// the system's MCI window with real files.
#include <gtest/gtest.h>

#include <windows.h>
#include <vfw.h>

#include <memory>
#include <vector>

#include "framework/window.h"
#include "media_samples.h"
#include "platform/wide.h"
#include "services/background_sound.h"
#include "test_files.h"

namespace zp::services {
namespace {

// Answers like an MCI window whose device opened (or not) and notes every MCI command. One that
// failed keeps a device number but is never ready, as the system's does.
class StandInMci : public win::Window {
 public:
  explicit StandInMci(bool opened) : opened_(opened) {}
  std::vector<UINT> commands;
  std::vector<LPARAM> seeks;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case MCIWNDM_GETDEVICEID: return 2;
      case MCIWNDM_GETMODEW: return opened_ ? MCI_MODE_STOP : MCI_MODE_NOT_READY;
      case MCIWNDM_GETLENGTH: return 500;
      case MCI_SEEK: seeks.push_back(lParam); [[fallthrough]];
      case MCI_PLAY:
      case MCI_PAUSE:
      case MCI_RESUME:
        commands.push_back(message);
        return 0;
      default:
        return DefaultHandling(message, wParam, lParam);
    }
  }

 private:
  bool opened_;
};

class BackgroundSound : public ::testing::Test {
 protected:
  // A factory that makes stand-ins; `opens` says whether their device opens.
  MciWindowFactory StandIns() {
    return [this](HWND parent, const std::wstring&) -> HWND {
      auto window = std::make_unique<StandInMci>(opens);
      if (!window->Create(0, L"", WS_CHILD, 0, 0, 1, 1, parent)) return nullptr;
      made.push_back(std::move(window));
      return made.back()->hwnd();
    };
  }
  std::wstring File(const char16_t* name) {
    const std::u16string path = temp_.File(name);
    EXPECT_TRUE(test::WriteBytes(path, test::ToBytes("not really a sound")));
    return ToWide(path);
  }
  void Notify(BackgroundSoundPlayer& player, HWND from, long position) {
    SendMessageW(player.hwnd(), MCIWNDM_NOTIFYPOS, reinterpret_cast<WPARAM>(from), position);
  }

  bool opens = true;
  std::vector<std::unique_ptr<StandInMci>> made;
  test::ScratchDirectory temp_;
};

TEST_F(BackgroundSound, OpensOnlyWhatReallyPlaysAndKeepsThePreviousSoundOtherwise) {
  BackgroundSoundPlayer player(StandIns());
  // Nothing plays before the hidden window exists.
  EXPECT_FALSE(player.Open(File(u"early.wav")));
  ASSERT_TRUE(player.Create());
  player.Pause();  // no sound yet: nothing to pause
  EXPECT_EQ(player.Resume(), 0);

  const std::wstring first = File(u"first.wav");
  ASSERT_TRUE(player.Open(first));
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(player.mciWindow(), made[0]->hwnd());
  EXPECT_EQ(player.path(), first);
  EXPECT_EQ(player.length(), 500);
  EXPECT_EQ(made[0]->commands, std::vector<UINT>{MCI_PLAY});

  // A missing file is refused before any MCI window is made.
  EXPECT_FALSE(player.Open(ToWide(temp_.File(u"missing.wav"))));
  EXPECT_EQ(made.size(), 1u);
  // A file whose device does not open: its window goes, the first sound plays on.
  opens = false;
  EXPECT_FALSE(player.Open(File(u"broken.wav")));
  ASSERT_EQ(made.size(), 2u);
  EXPECT_FALSE(IsWindow(made[1]->hwnd()));
  EXPECT_EQ(player.mciWindow(), made[0]->hwnd());
  EXPECT_EQ(player.path(), first);

  // A new sound that opens replaces the first.
  opens = true;
  const std::wstring second = File(u"second.wav");
  ASSERT_TRUE(player.Open(second));
  EXPECT_FALSE(IsWindow(made[0]->hwnd()));
  EXPECT_EQ(player.mciWindow(), made[2]->hwnd());
  EXPECT_EQ(player.path(), second);

  // Resuming plays on from where the sound stands: every device knows that, not every one resume.
  player.Pause();
  player.Resume();
  EXPECT_EQ(made[2]->commands, (std::vector<UINT>{MCI_PLAY, MCI_PAUSE, MCI_PLAY}));
}

TEST_F(BackgroundSound, LoopsFromTheStartOnceTheEndIsReachedOrPassed) {
  BackgroundSoundPlayer player(StandIns());
  ASSERT_TRUE(player.Create());
  ASSERT_TRUE(player.Open(File(u"loop.wav")));
  StandInMci& mci = *made.back();
  mci.commands.clear();

  // Without looping the sound stays at its end.
  Notify(player, mci.hwnd(), 500);
  EXPECT_TRUE(mci.commands.empty());

  player.SetLoop(true);
  Notify(player, mci.hwnd(), 499);
  EXPECT_TRUE(mci.commands.empty());
  // The last notification may come after the end: that counts too.
  Notify(player, mci.hwnd(), 512);
  EXPECT_EQ(mci.commands, (std::vector<UINT>{MCI_SEEK, MCI_PLAY}));
  EXPECT_EQ(mci.seeks, std::vector<LPARAM>{MCIWND_START});
  // A notification from some other window is not this sound's.
  mci.commands.clear();
  Notify(player, player.hwnd(), 500);
  EXPECT_TRUE(mci.commands.empty());
}

TEST_F(BackgroundSound, TheSystemMciWindowOpensAWaveAndNothingElse) {
  BackgroundSoundPlayer player;
  ASSERT_TRUE(player.Create());
  const std::u16string wave = temp_.File(u"silence.wav");
  ASSERT_TRUE(test::WriteBytes(wave, test::SilentWave()));
  ASSERT_TRUE(player.Open(ToWide(wave)));
  wchar_t className[64] = {};
  GetClassNameW(player.mciWindow(), className, 64);
  EXPECT_STREQ(className, L"MCIWndClass");
  EXPECT_EQ(GetParent(player.mciWindow()), player.hwnd());
  EXPECT_GT(player.length(), 0);
  const HWND playing = player.mciWindow();

  // The system's MCI window exists even for a file it cannot open: that is no sound.
  EXPECT_FALSE(player.Open(File(u"text.wav")));
  EXPECT_EQ(player.mciWindow(), playing);
  EXPECT_EQ(player.path(), ToWide(wave));
}

}  // namespace
}  // namespace zp::services
