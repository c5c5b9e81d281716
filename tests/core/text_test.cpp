#include "core/text.h"

#include <gtest/gtest.h>

namespace zp {
namespace {

TEST(Text, Utf8RoundTripsThroughUtf16) {
  const std::string text = "Zentrapolis \xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xAC";  // é € and a clapper board
  const std::u16string wide = Utf8ToU16(text);
  EXPECT_EQ(wide.size(), 12u + 3u + 1u);  // the last one is a surrogate pair
  EXPECT_EQ(U16ToUtf8(wide), text);
}

TEST(Text, InvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToU16("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(Utf8ToU16("\xE2\x82"), u"\uFFFD");  // cut short at the end
  EXPECT_EQ(U16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(Text, TrimsAndCompares) {
  EXPECT_EQ(TrimWhiteSpace(u" \t a b \r\n"), u"a b");
  EXPECT_EQ(TrimTrailingBackslashes(u"C:\\dir\\\\"), u"C:\\dir");
  EXPECT_TRUE(EqualsNoCase(u"FSCmd.DLL", u"fscmd.dll"));
  EXPECT_FALSE(EqualsNoCase(u"a", u"ab"));
}

TEST(Text, HexHasNoLeadingZeros) {
  EXPECT_EQ(ToHex(0), u"0");
  EXPECT_EQ(ToHex(0x526C5FF), u"526c5ff");
  EXPECT_EQ(ToHex(0xFFFFFFFF), u"ffffffff");
}

TEST(Text, FieldReadingStopsAtTheFieldEnd) {
  const uint8_t full[] = {'a', 0, 'b', 0, 'c', 0};
  EXPECT_EQ(ReadUtf16Field(full), u"abc");
  const uint8_t odd[] = {'a', 0, 'b'};
  EXPECT_EQ(ReadUtf16Field(odd), u"a");
  const uint8_t terminated[] = {'a', 0, 0, 0, 'c', 0};
  EXPECT_EQ(ReadUtf16Field(terminated), u"a");
}

}  // namespace
}  // namespace zp
