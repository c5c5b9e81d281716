#include "core/fscommand/pe_export_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "core/package_format.h"

namespace zp {
namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::u16string>;

// A library image laid out the way extension libraries are linked: the export directory at a
// file offset equal to its address, the library's own name, then one name per function.
Bytes Library(bool pe64, uint32_t count, const std::vector<std::string>& names) {
  Bytes file(0x400, 0);
  file[0] = 'M', file[1] = 'Z';
  const uint32_t pe = 0x80;
  WriteU32(file, 0x3C, pe);
  file[pe] = 'P', file[pe + 1] = 'E';
  file[pe + 0x18] = 0x0B;
  file[pe + 0x19] = pe64 ? 0x02 : 0x01;
  const uint32_t directory = 0x200;
  WriteU32(file, pe + (pe64 ? 0x88 : 0x78), directory);
  WriteU32(file, directory + 0x14, count);
  const uint32_t ownName = 0x240;
  WriteU32(file, directory + 0x0C, ownName);
  const std::string own = "ZentraFSCmd.dll";
  std::memcpy(&file[ownName], own.c_str(), own.size() + 1);
  size_t at = ownName + own.size() + 1;
  for (const auto& name : names) {
    if (file.size() < at + name.size() + 1) file.resize(at + name.size() + 1);
    std::memcpy(&file[at], name.c_str(), name.size() + 1);
    at += name.size() + 1;
  }
  return file;
}

TEST(PeExportNames, ReadsTheNamesAfterTheLibrarysOwnName) {
  for (bool pe64 : {false, true}) {
    EXPECT_EQ(ReadFsExportNames(Library(pe64, 3, {"FSExec", "FSMessageBox", "FSRun"})),
              (Names {u"FSExec", u"FSMessageBox", u"FSRun"}))
        << pe64;
  }
}

TEST(PeExportNames, TrimsBlanksDropsEmptyNamesAndTakesOnlyTheCount) {
  EXPECT_EQ(ReadFsExportNames(Library(false, 3, {" FSExec ", "", "FSRun", "FSNotCounted"})),
            (Names {u"FSExec", u"FSRun"}));
}

TEST(PeExportNames, NotALibraryOrNoFunctionsYieldsNothing) {
  EXPECT_EQ(ReadFsExportNames(Library(false, 0, {"FSExec"})), Names {});
  Bytes object = Library(false, 1, {"FSExec"});
  object[0] = 0x4C, object[1] = 0x01;  // a bare object file's machine word
  EXPECT_EQ(ReadFsExportNames(object), Names {});
  EXPECT_EQ(ReadFsExportNames({}), Names {});
  const uint8_t mz[] = {'M', 'Z'};
  EXPECT_EQ(ReadFsExportNames(mz), Names {});
}

TEST(PeExportNames, OffsetsOutsideTheFileYieldNothing) {
  Bytes badHeader = Library(false, 1, {"FSExec"});
  WriteU32(badHeader, 0x3C, 0xFFFFFFF0u);
  EXPECT_EQ(ReadFsExportNames(badHeader), Names {});

  Bytes badDirectory = Library(false, 1, {"FSExec"});
  WriteU32(badDirectory, 0x80 + 0x78, 0x7FFFFFFFu);
  EXPECT_EQ(ReadFsExportNames(badDirectory), Names {});

  Bytes badName = Library(false, 1, {"FSExec"});
  WriteU32(badName, 0x200 + 0x0C, 0x10000u);
  EXPECT_EQ(ReadFsExportNames(badName), Names {});

  Bytes directoryAtTheEnd = Library(false, 1, {"FSExec"});
  WriteU32(directoryAtTheEnd, 0x80 + 0x78, static_cast<uint32_t>(directoryAtTheEnd.size() - 0x10));
  EXPECT_EQ(ReadFsExportNames(directoryAtTheEnd), Names {});
}

TEST(PeExportNames, TruncatedOrOvercountedNamesYieldNothing) {
  Bytes truncated = Library(false, 2, {"FSExec", "FSRun"});
  const std::string last = "FSRun";
  const auto at = std::search(truncated.begin(), truncated.end(), last.begin(), last.end());
  truncated.erase(at + static_cast<ptrdiff_t>(last.size()), truncated.end());  // no terminator left
  EXPECT_EQ(ReadFsExportNames(truncated), Names {});
  // A count far beyond what the file holds.
  EXPECT_EQ(ReadFsExportNames(Library(false, 0xFFFFFFFFu, {"FSExec"})), Names {});
}

}  // namespace
}  // namespace zp
