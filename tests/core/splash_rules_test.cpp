#include <gtest/gtest.h>

#include "core/splash/autorun_file.h"
#include "core/splash/splash_paths.h"
#include "core/splash/splash_placement.h"
#include "core/text.h"

namespace zp::splash {
namespace {

TEST(SplashPaths, NameTitleAndFolderOfAPath) {
  struct Case {
    std::u16string_view path, name, title, folder;
  };
  const Case cases[] = {
      {u"C:\\disc\\Curtainer.exe", u"Curtainer.exe", u"Curtainer", u"C:\\disc"},
      {u"  D:/cd/sub/Player.exe \t", u"Player.exe", u"Player", u"D:\\cd\\sub"},
      {u"Curtainer.jpg", u"Curtainer.jpg", u"Curtainer", u""},
      {u"C:\\dir\\\\", u"", u"", u"C:\\dir"},
      {u"\\\\server\\share\\show.final.exe", u"show.final.exe", u"show.final", u"\\\\server\\share"},
      {u"C:\\no extension", u"no extension", u"no extension", u"C:"},
      {u"", u"", u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U16ToUtf8(c.path));
    EXPECT_EQ(FileNameOfPath(c.path), c.name);
    EXPECT_EQ(FileTitleOfPath(c.path), c.title);
    EXPECT_EQ(DirectoryOfPath(c.path), c.folder);
  }
  // A path far longer than the old 260-character limit keeps its whole folder.
  const std::u16string deep = u"C:\\" + std::u16string(600, u'd') + u"\\Curtainer.exe";
  EXPECT_EQ(DirectoryOfPath(deep).size(), 603u);
}

TEST(SplashPaths, PictureCandidatesComeInOrderAndOnlyTheGifIsAnimated) {
  const auto candidates = SplashPictureCandidates(u"E:\\Curtainer");
  std::u16string order;
  for (const auto& c : candidates) order += c.path.substr(12) + (c.animated ? u"*" : u"");
  EXPECT_EQ(order, u".jpg.jpeg.gif*.png.tif.ico.bmp");
}

TEST(AutorunFile, TheProgramKeyIsReadAsTheSystemReadsIt) {
  struct Case {
    std::u16string_view text;
    std::optional<std::u16string> program;
  };
  const Case cases[] = {
      {u"[autorun]\r\nopen=Curtainer.exe\r\nauxopen=Show.exe\r\n", u"E:\\Show.exe"},
      {u"  [ AutoRun ]\nAUXOPEN = sub\\Show.exe  \n", u"E:\\sub\\Show.exe"},
      {u"[autorun]\rauxopen=\"My Show.exe\"\r", u"E:\\My Show.exe"},
      {u"[autorun]\nauxopen='..\\x.exe'\n", u"E:\\..\\x.exe"},
      {u"[autorun]\nauxopen=\"unbalanced.exe\n", u"E:\\\"unbalanced.exe"},
      {u"[autorun]\nauxopen=first.exe\nauxopen=second.exe\n", u"E:\\first.exe"},
      {u"[autorun]\n;auxopen=commented.exe\n", std::nullopt},
      {u"[other]\nauxopen=Show.exe\n[autorun]\nopen=Curtainer.exe\n", std::nullopt},
      {u"[autorun]\nauxopen=\n", std::nullopt},
      {u"[autorun]\nauxopen\n", std::nullopt},
      {u"auxopen=Show.exe\n", std::nullopt},
      {u"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U16ToUtf8(c.text));
    EXPECT_EQ(AutorunProgramPath(u"E:", c.text, u"auxopen"), c.program);
  }
}

TEST(AutorunFile, UnicodeFilesAreDecodedAndOthersLeftToTheCodePage) {
  const std::string utf8 = "[autorun]\nauxopen=\xE6\xBC\x94\xE7\xA4\xBA.exe\n";  // 演示.exe
  std::vector<uint8_t> bytes(utf8.begin(), utf8.end());
  EXPECT_EQ(IniValue(*DecodeUnicodeIniText(bytes), u"autorun", u"auxopen"), u"\u6F14\u793A.exe");

  std::vector<uint8_t> withMark = {0xEF, 0xBB, 0xBF};
  withMark.insert(withMark.end(), bytes.begin(), bytes.end());
  EXPECT_EQ(DecodeUnicodeIniText(withMark), DecodeUnicodeIniText(bytes));

  std::vector<uint8_t> little = {0xFF, 0xFE}, big = {0xFE, 0xFF};
  for (char16_t c : Utf8ToU16(utf8)) {
    little.insert(little.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)});
    big.insert(big.end(), {static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c & 0xFF)});
  }
  little.push_back(0x41);  // an odd byte at the end is dropped
  EXPECT_EQ(DecodeUnicodeIniText(little), Utf8ToU16(utf8));
  EXPECT_EQ(DecodeUnicodeIniText(big), Utf8ToU16(utf8));

  // The same name in a Chinese code page is not UTF-8.
  const std::vector<uint8_t> codePage = {'a', '=', 0xD1, 0xDD, 0xCA, 0xBE};
  EXPECT_FALSE(DecodeUnicodeIniText(codePage));
}

TEST(SplashPlacement, TheClientAreaIsThePictureAndTheWindowIsCentred) {
  // A 203 x 112 unit dialog with a modal frame and a client edge: 10 pixels of frame each way.
  EXPECT_EQ(OuterSizeForPicture({375, 237}, {316, 192}, {306, 182}), (layout::Size{385, 247}));

  const layout::Box workArea{0, 0, 1024, 738};  // a taskbar below
  EXPECT_EQ(CentredIn(workArea, {385, 247}), (layout::Point{319, 245}));
  EXPECT_EQ(CentredIn({100, 50, 300, 150}, {101, 51}), (layout::Point{149, 74}));
  // Larger than the area: the top-left corner stays in it, on either side of the origin.
  EXPECT_EQ(CentredIn(workArea, {2000, 300}), (layout::Point{0, 219}));
  EXPECT_EQ(CentredIn({-1280, 0, 0, 1024}, {1500, 1100}), (layout::Point{-1280, 0}));
}

}  // namespace
}  // namespace zp::splash
