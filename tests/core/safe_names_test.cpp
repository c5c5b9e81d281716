#include "core/safe_names.h"

#include <gtest/gtest.h>

namespace zp {
namespace {

TEST(SafeNames, PlainFileNames) {
  for (auto name : {u"CommonResources.dll", u"a", u"x..y.dll", u"..hidden", u"name with spaces.swf"}) {
    EXPECT_TRUE(IsPlainFileName(name)) << std::string(name, name + std::char_traits<char16_t>::length(name));
  }
  for (auto name : {u"", u".", u"..", u"..\\evil.dll", u"dir\\file", u"dir/file", u"C:evil.dll", u"\\root.dll",
                    u"file.dll:stream", u"bad\u0001name"}) {
    EXPECT_FALSE(IsPlainFileName(name));
  }
}

TEST(SafeNames, ContainedRelativePaths) {
  for (auto path : {u"movie.swf", u"media\\clip.flv", u"a/b\\c.txt", u"x..y\\z"}) {
    EXPECT_TRUE(IsContainedRelativePath(path));
  }
  for (auto path : {u"", u"..\\up.txt", u"media\\..\\..\\up.txt", u"\\root.txt", u"/root.txt", u"C:\\x.txt",
                    u"C:x.txt", u"\\\\server\\share\\x", u"media\\\\x", u"media\\", u".\\x"}) {
    EXPECT_FALSE(IsContainedRelativePath(path));
  }
}

}  // namespace
}  // namespace zp
