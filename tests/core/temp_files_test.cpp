#include "core/temp_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <set>
#include <string>

#include "core/text.h"
#include "platform/platform.h"
#include "test_files.h"

namespace zp {
namespace {

// Points TMPDIR, where the temporary base comes from, elsewhere for the life of the object.
class TemporaryBaseOverride {
 public:
  explicit TemporaryBaseOverride(const std::string& folder) {
    if (const char* old = std::getenv("TMPDIR")) saved_ = old;
    setenv("TMPDIR", folder.c_str(), 1);
  }
  ~TemporaryBaseOverride() {
    if (saved_)
      setenv("TMPDIR", saved_->c_str(), 1);
    else
      unsetenv("TMPDIR");
  }
  TemporaryBaseOverride(const TemporaryBaseOverride&) = delete;
  TemporaryBaseOverride& operator=(const TemporaryBaseOverride&) = delete;

 private:
  std::optional<std::string> saved_;
};

TEST(UniqueName, FormatsDirectoryMillisecondsAndExtension) {
  EXPECT_EQ(FormatUniqueName(u"  C:\\Temp\\\\ ", u"swf", 0x1234), u"C:\\Temp\\1234.swf");
  EXPECT_EQ(FormatUniqueName(u"C:\\Temp", u"", 0), u"C:\\Temp\\0.tmp");
  EXPECT_EQ(FormatUniqueName(u"C:\\Temp", u"  .jpg ", 86399999), u"C:\\Temp\\5265bff.jpg");
  EXPECT_EQ(FormatUniqueName(u"C:\\Temp", u"   ", 10), u"C:\\Temp\\a.tmp");
}

// A clock that ticks one millisecond per reading, and a set of names that already exist.
class FakeEnvironment : public UniqueNameEnvironment {
 public:
  uint32_t MillisecondsOfDay() override { return now++; }
  bool Exists(const std::u16string& path) override { return taken.count(path) != 0 || everythingTaken; }
  void Wait(uint32_t ms) override { waited += ms; }

  uint32_t now = 0x100;
  std::set<std::u16string> taken;
  bool everythingTaken = false;
  uint32_t waited = 0;
};

TEST(UniqueName, WaitsForAFreeName) {
  FakeEnvironment env;
  env.taken = {u"D\\100.tmp", u"D\\101.tmp"};
  EXPECT_EQ(MakeUniqueName(u"D", u".tmp", env), u"D\\102.tmp");
  EXPECT_EQ(env.waited, 20u);
}

TEST(UniqueName, GivesUpAfterAThousandRetries) {
  FakeEnvironment env;
  env.everythingTaken = true;
  const std::u16string name = MakeUniqueName(u"D", u"x", env);
  EXPECT_EQ(env.waited, 10000u);
  EXPECT_EQ(name, u"D\\" + ToHex(0x100 + 1000) + u".x");
}

TEST(TemporaryFiles, CreatesNestedDirectoriesAndRemovesTrees) {
  test::ScratchDirectory scratch;
  const std::u16string deep = scratch.File(u"a\\b\\c\\");
  EXPECT_TRUE(CreateDirectoryPath(deep));
  EXPECT_TRUE(IsDirectory(scratch.File(u"a\\b\\c")));
  EXPECT_TRUE(CreateDirectoryPath(deep));  // existing is fine
  ASSERT_TRUE(test::WriteBytes(scratch.File(u"a\\b\\c\\f.bin"), test::ToBytes("x")));
  ASSERT_TRUE(test::WriteBytes(scratch.File(u"a\\g.bin"), test::ToBytes("y")));
  EXPECT_FALSE(IsDirectory(scratch.File(u"a\\g.bin")));
  EXPECT_TRUE(RemoveTree(scratch.File(u"a")));
  EXPECT_FALSE(test::Exists(scratch.File(u"a")));
  EXPECT_FALSE(RemoveTree(scratch.File(u"a")));
}

TEST(TemporaryFiles, ShortPathsAreNeverRemoved) {
  for (auto path : {u"", u"/", u"C:", u"C:\\", u"D:", u"abc"}) EXPECT_FALSE(RemoveTree(path));
}

TEST(TemporaryFiles, EachPlayerGetsItsOwnDirectory) {
  std::set<std::u16string> made;
  for (int i = 0; i < 5; ++i) {
    const std::u16string dir = CreateTemporaryDirectory();
    EXPECT_TRUE(IsDirectory(dir));
    EXPECT_EQ(dir.substr(dir.size() - 4), u".tmp");
    EXPECT_TRUE(made.insert(dir).second);
  }
  for (const auto& dir : made) {
    RemoveTemporaryDirectory(dir);
    EXPECT_FALSE(test::Exists(dir));
  }
}

TEST(TemporaryFiles, ANameTakenAfterTheCheckIsNotShared) {
  // Another player creates the directory between the existence check and the creation: the
  // check says free, yet the creation must not adopt the other player's directory.
  class RacingEnvironment : public UniqueNameEnvironment {
   public:
    uint32_t MillisecondsOfDay() override { return 0x0FEDC000 + readings++; }
    bool Exists(const std::u16string&) override { return false; }
    int readings = 0;
  } racing;
  // The taken name is fixed, so it lives in a base of this test's own, not the shared one.
  const test::ScratchDirectory base;
  const TemporaryBaseOverride privateBase(U16ToUtf8(base.path()));
  const std::u16string taken = FormatUniqueName(TemporaryBase(), u".tmp", 0x0FEDC000);
  ASSERT_EQ(taken.rfind(base.path(), 0), 0u);
  ASSERT_TRUE(platform::CreateSingleDirectory(taken));
  const std::u16string mine = CreateTemporaryDirectory(racing);
  EXPECT_NE(mine, taken);
  EXPECT_TRUE(IsDirectory(mine));
  EXPECT_EQ(racing.readings, 2);
  RemoveTemporaryDirectory(mine);
  RemoveTemporaryDirectory(taken);
}

TEST(TemporaryFiles, MissingSystemTemporaryDirectoryFallsBackToTheCurrentOne) {
  {
    const TemporaryBaseOverride missing("/nonexistent/zentrapolis-test");
    EXPECT_EQ(TemporaryBase(), platform::CurrentDirectory());
  }
  EXPECT_TRUE(IsDirectory(TemporaryBase()));
}

TEST(TemporaryFiles, CleanUpWorksFromInsideTheDirectory) {
  const std::u16string before = platform::CurrentDirectory();
  const std::u16string dir = CreateTemporaryDirectory();
  ASSERT_TRUE(CreateDirectoryPath(JoinPath(dir, u"media")));
  ASSERT_TRUE(platform::ChangeCurrentDirectory(JoinPath(dir, u"media")));
  RemoveTemporaryDirectory(dir);
  EXPECT_FALSE(test::Exists(dir));
  platform::ChangeCurrentDirectory(before);
}

TEST(TemporaryFiles, ProgramDirectoryHoldsTheRunningProgram) {
  const std::u16string dir = ProgramDirectory();
  EXPECT_TRUE(IsDirectory(dir));
  EXPECT_NE(dir.back(), u'\\');
  EXPECT_EQ(dir.find(u'/'), std::u16string::npos);
}

}  // namespace
}  // namespace zp
