#include "core/fscommand/fs_extension_result.h"

#include <gtest/gtest.h>

#include "core/fscommand/fs_log_text.h"

namespace zp {
namespace {

using Assignments = std::vector<std::pair<std::u16string, std::u16string>>;

Assignments Apply(std::u16string_view args, std::u16string_view result) {
  Assignments out;
  for (auto& a : FsExtensionAssignments(args, SplitFsExtensionResult(result))) out.emplace_back(a.name, a.value);
  return out;
}

TEST(FsExtensionResult, FirstCharacterSeparatesTheValues) {
  const auto split = SplitFsExtensionResult(u"|ok|1|2");
  EXPECT_EQ(split.valueText, u"ok|1|2");
  EXPECT_EQ(split.values, (std::vector<std::u16string>{u"ok", u"1", u"2"}));
  EXPECT_EQ(Apply(u"a,b", u"|ok|1|2"), (Assignments{{u"fscmd_ret", u"ok"}, {u"a", u"1"}, {u"b", u"2"}}));
}

TEST(FsExtensionResult, EmptyOrLoneSeparatorSetsNothing) {
  EXPECT_TRUE(Apply(u"a", u"").empty());
  EXPECT_TRUE(Apply(u"a", u",").empty());
  EXPECT_EQ(SplitFsExtensionResult(u",").valueText, u"");
}

TEST(FsExtensionResult, LeadingEmptyValuesAndMissingNames) {
  EXPECT_EQ(Apply(u"a", u",x"), (Assignments{{u"fscmd_ret", u"x"}}));
  EXPECT_EQ(Apply(u"a", u",,y"), (Assignments{{u"fscmd_ret", u""}, {u"a", u"y"}}));
  // An empty argument item drops its value; values beyond the names are dropped too.
  EXPECT_EQ(Apply(u"a,,c", u";r;1;2;3;4"), (Assignments{{u"fscmd_ret", u"r"}, {u"a", u"1"}, {u"c", u"3"}}));
  // A blank separator collapses runs and ignores blanks before the first value.
  EXPECT_EQ(Apply(u"w,h", u"   1   640  480"), (Assignments{{u"fscmd_ret", u"1"}, {u"w", u"640"}, {u"h", u"480"}}));
}

std::u16string Lines(size_t count) {
  std::u16string text;
  for (size_t i = 0; i < count; ++i) text += u"line " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"\r\n";
  return text;
}

TEST(FsLogText, BelowTheCapEverythingStays) {
  const std::u16string text = Lines(799);
  EXPECT_EQ(KeepFsLogText(text, 799), text);
}

TEST(FsLogText, AtTheCapTheSecondHalfStaysFromAWholeLine) {
  const std::u16string text = Lines(800);
  const std::u16string_view kept = KeepFsLogText(text, 801);
  EXPECT_LE(kept.size(), text.size() / 2);
  EXPECT_GT(kept.size(), text.size() / 2 - 10);
  EXPECT_TRUE(kept.starts_with(u"line "));
  EXPECT_TRUE(std::u16string_view(text).ends_with(kept));
  EXPECT_EQ(KeepFsLogText(u"xxxxxxxxxxxxxxxxxxxx", 900), u"");
}

TEST(FsLogText, FormatsFillOnlyStringConversions) {
  EXPECT_EQ(FormatFsLogLine(u"FSCommand:  <%s>  <%s>", {u"exec", u"a,b"}), u"FSCommand:  <exec>  <a,b>");
  EXPECT_EQ(FormatFsLogLine(u"Command Result: <%ls>", {u"1"}), u"Command Result: <1>");
  EXPECT_EQ(FormatFsLogLine(u"100%% %d %n %s %s %", {u"x"}), u"100% %d %n x  %");
  EXPECT_EQ(FormatFsLogLine(u"", {u"x"}), u"");
}

}  // namespace
}  // namespace zp
