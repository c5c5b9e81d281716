// The About box's texts and link targets, and the browser command that opens an address.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/about/about_texts.h"
#include "core/text.h"
#include "core/web/browser_command.h"

namespace zp {
namespace {

// How a program splits its command line by the system's usual rules: 2n backslashes before a
// quote give n and the quote toggles quoting, 2n + 1 give n and a literal quote; other
// backslashes are literal.
std::vector<std::u16string> SplitArguments(std::u16string_view line) {
  std::vector<std::u16string> arguments;
  size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
    if (i == line.size()) return arguments;
    std::u16string argument;
    bool quoted = false;
    for (; i < line.size() && (quoted || (line[i] != u' ' && line[i] != u'\t')); ++i) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == u'\\') ++backslashes, ++i;
      if (i < line.size() && line[i] == u'"') {
        argument.append(backslashes / 2, u'\\');
        if (backslashes % 2) {
          argument.push_back(u'"');
        } else {
          quoted = !quoted;
        }
      } else {
        argument.append(backslashes, u'\\');
        if (i == line.size()) break;
        if (!quoted && (line[i] == u' ' || line[i] == u'\t')) break;
        argument.push_back(line[i]);
      }
    }
    arguments.push_back(argument);
  }
}

TEST(BrowserCommand, AnyAddressArrivesAsOneArgument) {
  const std::u16string addresses[] = {
      u"http://example.com/",
      u"http://example.com/a b c",
      u"mailto:a@b.c",
      u"http://x/\" --new-window \"evil",
      u"C:\\path with space\\",
      u"\\\\server\\share\\\"quoted\\\\\"",
      u"",
      u"tab\there",
  };
  for (const auto& address : addresses) {
    const std::u16string line = BrowserCommandLine(u"\"C:\\Web Browser\\browse.exe\" \"%1\"", address);
    const auto arguments = SplitArguments(line);
    ASSERT_EQ(arguments.size(), 2u) << U16ToUtf8(line);
    EXPECT_EQ(arguments[0], u"C:\\Web Browser\\browse.exe");
    EXPECT_EQ(arguments[1], address) << U16ToUtf8(line);
  }
}

TEST(BrowserCommand, ThePlaceholderIsCutAndTheAddressFollowsASpace) {
  const struct {
    std::u16string registered;
    std::u16string line;
  } cases[] = {
      // A quoted placeholder goes with its opening quote; the space before it stays.
      {u"\"C:\\b.exe\" \"%1\"", u"\"C:\\b.exe\"  \"a b\""},
      {u"\"C:\\b.exe\" -url \"%1\" -new", u"\"C:\\b.exe\" -url  \"a b\""},
      // A bare placeholder, and the first of two.
      {u"C:\\b.exe %1 %1", u"C:\\b.exe  \"a b\""},
      // No placeholder: the address is appended.
      {u"C:\\b.exe -nohome", u"C:\\b.exe -nohome \"a b\""},
      // A placeholder inside a longer argument is a bare one.
      {u"\"C:\\b.exe\" --url=%1", u"\"C:\\b.exe\" --url= \"a b\""},
  };
  for (const auto& c : cases) EXPECT_EQ(BrowserCommandLine(c.registered, u"a b"), c.line) << U16ToUtf8(c.registered);
}

TEST(BrowserCommand, TheProgramIsTheFirstArgument) {
  EXPECT_EQ(ProgramOfCommandLine(u"  \"C:\\Program Files\\b.exe\" \"%1\""), u"C:\\Program Files\\b.exe");
  EXPECT_EQ(ProgramOfCommandLine(u"C:\\b.exe %1"), u"C:\\b.exe");
  EXPECT_EQ(ProgramOfCommandLine(u"\"C:\\unterminated"), u"C:\\unterminated");
  EXPECT_EQ(ProgramOfCommandLine(u"   "), u"");
}

TEST(AboutTexts, TakenFromTheDocumentAndTrimmed) {
  DocumentModel document;
  document.menuAboutOptions.hideAbout = 0;
  document.productInfo.title = u"  Show  ";
  document.productInfo.version = u"1.2 \t";
  document.productInfo.info4 = u" (c) Us \r\n";
  document.menuAboutOptions.about1 = u"  http://example.com/ ";
  document.menuAboutOptions.about2 = u" Our site ";
  document.menuAboutOptions.about3 = u" Visit us ";
  document.menuAboutOptions.about4 = u" team@example.com ";
  document.menuAboutOptions.about5 = u" Write ";
  document.menuAboutOptions.about6 = u" Mail us ";
  const AboutTexts texts = AboutTextsOf(document);
  // Leading spaces of the name reach the caption, trailing ones do not.
  EXPECT_EQ(AboutCaption(u"About", texts), u"About   Show");
  EXPECT_EQ(ProductLine(texts), u"  Show  1.2");
  EXPECT_EQ(texts.notice, u" (c) Us");
  EXPECT_EQ(texts.linkAddress, u"http://example.com/");
  EXPECT_EQ(texts.linkLabel, u"Our site");
  EXPECT_EQ(texts.linkTip, u" Visit us ");
  EXPECT_EQ(texts.mailAddress, u"mailto:team@example.com");
  EXPECT_EQ(texts.mailLabel, u"Write");
  EXPECT_EQ(texts.mailTip, u" Mail us ");
  // A document that hides its About information shows none of it.
  document.menuAboutOptions.hideAbout = 1;
  EXPECT_EQ(AboutTextsOf(document), AboutTexts{});
}

TEST(AboutTexts, MailTargets) {
  EXPECT_EQ(MailTarget(u"a@b.c"), u"mailto:a@b.c");
  EXPECT_EQ(MailTarget(u"mailto:a@b.c"), u"mailto:a@b.c");
  EXPECT_EQ(MailTarget(u"Write to mailto:a@b.c"), u"Write to mailto:a@b.c");  // anywhere counts
  EXPECT_EQ(MailTarget(u"MAILTO:a@b.c"), u"mailto:MAILTO:a@b.c");              // in the same case
  EXPECT_EQ(MailTarget(u"  \t "), u"");
}

}  // namespace
}  // namespace zp
