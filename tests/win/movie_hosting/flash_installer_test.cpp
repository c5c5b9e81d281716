// A machine without the movie control: the installer beside the program runs once, and the
// control is created after it.
#include <gtest/gtest.h>

#include "movie_test_support.h"
#include "player/movie_control.h"

namespace zp::player {
namespace {

class MissingControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreateWindowExW(0, L"STATIC", L"player", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_TRUE(parent_);
  }
  void TearDown() override {
    movie_.Destroy();
    DestroyWindow(parent_);
    CMovieControl::offerInstall = false;
    test::Regsvr32(test::ControlPath(), false);  // the next tests use the build's own copy
  }
  HWND parent_ = nullptr;
  CMovieControl movie_;
};

TEST_F(MissingControlTest, InstallerBesideTheProgramRunsOnceAndTheControlIsCreated) {
  ASSERT_TRUE(test::Regsvr32(test::ControlPath(), true));
  ASSERT_EQ(test::RegisteredServerPath(), L"");
  CMovieControl::offerInstall = true;
  ASSERT_TRUE(movie_.CreateControl(parent_, false, RECT{0, 0, 200, 100}));
  EXPECT_FALSE(CMovieControl::offerInstall);
  EXPECT_NE(test::RegisteredServerPath(), L"");
  EXPECT_TRUE(movie_.created());
  ASSERT_NE(movie_.control(), nullptr);
  EXPECT_EQ(movie_.control()->FlashVersion(), 0x00070000);
}

TEST_F(MissingControlTest, SecondFailureNeverRunsTheInstallerAgain) {
  // Both the build's copy and any installed copy unregistered.
  ASSERT_TRUE(test::Regsvr32(test::ControlPath(), true));
  ASSERT_EQ(test::RegisteredServerPath(), L"");
  CMovieControl::offerInstall = false;
  const DWORD start = GetTickCount();
  EXPECT_FALSE(movie_.CreateControl(parent_, false, RECT{0, 0, 200, 100}));
  EXPECT_LT(GetTickCount() - start, 3000u);  // no installer was waited for
  EXPECT_EQ(test::RegisteredServerPath(), L"");
  EXPECT_FALSE(movie_.created());
  EXPECT_EQ(movie_.control(), nullptr);
}

}  // namespace
}  // namespace zp::player
