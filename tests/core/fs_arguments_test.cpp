#include "core/fscommand/fs_arguments.h"

#include <gtest/gtest.h>

namespace zp {
namespace {

using Items = std::vector<std::u16string>;

TEST(FsArguments, SplitsOnCommasKeepingEmptyItemsButNoTrailingOne) {
  EXPECT_EQ(SplitFsArguments(u"a,,b"), (Items {u"a", u"", u"b"}));
  EXPECT_EQ(SplitFsArguments(u"a,b,"), (Items {u"a", u"b"}));
  EXPECT_EQ(SplitFsArguments(u"  a , b"), (Items {u"a ", u"b"}));
  EXPECT_EQ(SplitFsArguments(u",x"), (Items {u"", u"x"}));
  EXPECT_EQ(SplitFsArguments(u""), Items {});
  EXPECT_EQ(SplitFsArguments(u" \t\r\n"), Items {});
}

TEST(FsArguments, OtherSeparatorsAndBlankSeparatorsCollapse) {
  EXPECT_EQ(SplitFsArguments(u"ok|1|2", u'|'), (Items {u"ok", u"1", u"2"}));
  EXPECT_EQ(SplitFsArguments(u"a,b|c", u'|'), (Items {u"a,b", u"c"}));
  EXPECT_EQ(SplitFsArguments(u"  a   b  c", u' '), (Items {u"a", u"b", u"c"}));
  EXPECT_EQ(SplitFsArguments(u",y", u','), (Items {u"", u"y"}));
}

TEST(FsArguments, ItemsBeyondTheEndReadEmpty) {
  const Items items = SplitFsArguments(u"a");
  EXPECT_EQ(FsArgumentAt(items, 0), u"a");
  EXPECT_EQ(FsArgumentAt(items, 1), u"");
  EXPECT_EQ(FsArgumentAt(items, 1000), u"");
}

TEST(FsArguments, NumbersReadLikeADecimalPrefix) {
  EXPECT_EQ(ReadFsNumber(u"  42px"), 42);
  EXPECT_EQ(ReadFsNumber(u"-17"), -17);
  EXPECT_EQ(ReadFsNumber(u"+8"), 8);
  EXPECT_EQ(ReadFsNumber(u""), 0);
  EXPECT_EQ(ReadFsNumber(u"abc"), 0);
  EXPECT_EQ(ReadFsNumber(u"- 5"), 0);
  EXPECT_EQ(ReadFsNumber(u"3.9"), 3);
  EXPECT_EQ(ReadFsNumber(u"99999999999999999999"), 2147483647);
  EXPECT_EQ(ReadFsNumber(u"-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
}  // namespace zp
