#include "core/web/app_address.h"

#include <gtest/gtest.h>

#include <string>

namespace zp {
namespace {

TEST(ApplicationAddress, PrefixInAnyCaseCarriesTheRestAsTheCommand) {
  const struct {
    std::u16string address;
    std::u16string command;
  } cases[] = {
      {u"app:quit", u"quit"},
      {u"APP:Next Page", u"Next Page"},
      {u"aPp:", u""},                          // nothing after the prefix: an empty command
      {u"App:app:twice", u"app:twice"},        // only the first four characters are taken
      {u"app:  padded  ", u"  padded  "},      // the command is passed on as it stands
      {u"app:http://example.com/", u"http://example.com/"},
  };
  for (const auto& c : cases) {
    const auto command = ApplicationCommandOf(c.address);
    ASSERT_TRUE(command.has_value()) << std::string(c.address.begin(), c.address.end());
    EXPECT_EQ(*command, c.command);
  }
}

TEST(ApplicationAddress, OrdinaryAddressesAreNotCommands) {
  const std::u16string addresses[] = {
      u"",
      u"app",
      u"ap:",
      u"app;x",
      u"appx:",
      u"application:run",
      u" app:leading-blank",            // the address must begin with the prefix
      u"http://example.com/app:x",
      u"file:///C:/app:/page.htm",
      u"C:\\presentation\\app.htm",
      u"\u00C1pp:accented",             // only ASCII letters fold
      std::u16string(u"a\0p:", 4),
  };
  for (const auto& address : addresses) {
    EXPECT_FALSE(ApplicationCommandOf(address).has_value()) << std::string(address.begin(), address.end());
  }
}

}  // namespace
}  // namespace zp
