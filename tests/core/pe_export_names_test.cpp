#include "core/fscommand/pe_export_names.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core/package_format.h"
#include "pe_samples.h"

namespace zp {
namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::u16string>;

Bytes Library(bool pe64, uint32_t count, const std::vector<std::string>& names) {
  return test::ExtensionLibraryImage(pe64, count, names);
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

TEST(PeMachine, ReadsTheMachineOnlyBehindASignatureInsideTheFile) {
  EXPECT_EQ(ReadPeMachine(Library(false, 1, {"FSExec"})), std::optional<uint16_t>(kMachineX86));
  EXPECT_EQ(ReadPeMachine(Library(true, 1, {"FSExec"})), std::optional<uint16_t>(kMachineX64));

  Bytes noSignature = Library(false, 1, {"FSExec"});
  noSignature[0x80] = 'X';
  Bytes headerOutside = Library(false, 1, {"FSExec"});
  WriteU32(headerOutside, 0x3C, 0xFFFFFFFEu);
  Bytes noDos = Library(false, 1, {"FSExec"});
  noDos[0] = 0;
  const Bytes whole = Library(false, 1, {"FSExec"});
  for (const Bytes& bytes : {noSignature, headerOutside, noDos, Bytes(whole.begin(), whole.begin() + 0x84),
                             Bytes(whole.begin(), whole.begin() + 0x85), Bytes {}}) {
    EXPECT_EQ(ReadPeMachine(bytes), std::nullopt) << bytes.size();
  }
  EXPECT_EQ(ReadPeMachine(Bytes(whole.begin(), whole.begin() + 0x86)), std::optional<uint16_t>(kMachineX86));
}

TEST(PeMachine, AMismatchNamesBothMachines) {
  EXPECT_EQ(MachineMismatch(kMachineX64, kMachineX64), std::nullopt);
  EXPECT_EQ(MachineMismatch(kMachineX86, kMachineX64), u"it is built for 32-bit x86 and this player for x64");
  EXPECT_EQ(MachineMismatch(0x01C4, kMachineArm64), u"it is built for machine 0x1c4 and this player for ARM64");
}

}  // namespace
}  // namespace zp
