// The settings location and the rectangle helpers, against the real registry under Wine.
#include <gtest/gtest.h>

#include "framework/profile.h"
#include "services/settings_store.h"

namespace zp::services {
namespace {

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    SelectSettingsKey();
    win::Profile().SetApplicationName(L"SettingsCase");
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zentrapolis\\ZentrapolisProjector\\SettingsCase");
    win::Profile().SetApplicationName(L"");
  }
  void Store(const wchar_t* text) { ASSERT_TRUE(win::Profile().WriteString(L"DebugDlg", L"Rect", text)); }
};

TEST_F(SettingsStore, LivesUnderTheVendorKeyAndProgramName) {
  EXPECT_EQ(win::Profile().SectionPath(L"DebugDlg"),
            L"Software\\Zentrapolis\\ZentrapolisProjector\\SettingsCase\\DebugDlg");
  win::Profile().SetApplicationName(L"");
  EXPECT_EQ(win::Profile().applicationName(), L"player_win_tests");
}

TEST_F(SettingsStore, RectangleRoundTrip) {
  ASSERT_TRUE(SaveWindowRect(L"DebugDlg", L"Rect", RECT{-10, 20, 330, 240}));
  EXPECT_EQ(win::Profile().GetString(L"DebugDlg", L"Rect", L""), L"-10,20,330,240");
  RECT rect{};
  ASSERT_TRUE(LoadWindowRect(L"DebugDlg", L"Rect", rect));
  EXPECT_EQ(rect.left, -10);
  EXPECT_EQ(rect.bottom, 240);
}

TEST_F(SettingsStore, ThreeFourAndFiveNumbers) {
  RECT rect{1, 1, 1, 1};
  Store(L"1,2,3");
  EXPECT_FALSE(LoadWindowRect(L"DebugDlg", L"Rect", rect));
  EXPECT_EQ(rect.left, 0);
  EXPECT_EQ(rect.right, 0);
  Store(L"1, 2, 3, 4");
  ASSERT_TRUE(LoadWindowRect(L"DebugDlg", L"Rect", rect));
  EXPECT_EQ(rect.right, 3);
  Store(L"5,6,7,8,9");
  ASSERT_TRUE(LoadWindowRect(L"DebugDlg", L"Rect", rect));
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(rect.bottom, 8);
}

TEST_F(SettingsStore, MissingOrMalformedReadsAsAbsent) {
  RECT rect{};
  EXPECT_FALSE(LoadWindowRect(L"DebugDlg", L"Rect", rect));
  Store(L"");
  EXPECT_FALSE(LoadWindowRect(L"DebugDlg", L"Rect", rect));
  Store(L"a,b,c,d");
  EXPECT_FALSE(LoadWindowRect(L"DebugDlg", L"Rect", rect));
  ASSERT_TRUE(win::Profile().WriteInt(L"DebugDlg", L"Rect", 5));
  EXPECT_FALSE(LoadWindowRect(L"DebugDlg", L"Rect", rect));
  EXPECT_EQ(win::Profile().GetInt(L"WarnDialog", L"ShowMssg", 1), 1);
}

}  // namespace
}  // namespace zp::services
