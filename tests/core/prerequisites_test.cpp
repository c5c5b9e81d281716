#include "core/support/prerequisites.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zp::support {
namespace {

// Answers as configured and records every call, in order.
struct FakeComponents : PrerequisiteComponents {
  std::vector<int> versions{7};  // successive answers; the last one repeats
  bool installerStarts = true;
  bool installerCarried = true;
  TransparencySupport support = TransparencySupport::kPossible;
  bool warningWanted = true;
  WarningAnswer warningAnswer;
  std::vector<bool> available{false};  // successive answers; the last one repeats
  bool extracts = true;
  bool registers = true;
  std::vector<std::string> calls;

  template <typename T>
  static T Next(std::vector<T>& answers) {
    T value = answers.front();
    if (answers.size() > 1) answers.erase(answers.begin());
    return value;
  }
  int InstalledFlashMajorVersion() override {
    calls.push_back("version");
    return Next(versions);
  }
  bool PackageCarriesInstaller() override { return installerCarried; }
  bool InstallFlashPlayer(bool required) override {
    calls.push_back(required ? "install required" : "install optional");
    return installerStarts;
  }
  TransparencySupport CheckTransparencySupport() override {
    calls.push_back("support");
    return support;
  }
  bool WarningWanted() override { return warningWanted; }
  void SuppressWarning() override { calls.push_back("suppress"); }
  WarningAnswer ShowWarning(uint32_t id) override {
    calls.push_back("warn " + std::to_string(id));
    return warningAnswer;
  }
  bool IsFernwikAvailable() override {
    calls.push_back("available?");
    return Next(available);
  }
  bool ExtractFernwikControl(std::u16string& path) override {
    calls.push_back("extract");
    if (!extracts) return false;
    path += u"\\zp1.dat";
    return true;
  }
  bool RegisterControl(const std::u16string&) override {
    calls.push_back("register");
    return registers;
  }
  void RemoveControl(const std::u16string&) override { calls.push_back("remove"); }
};

DocumentModel Document(std::vector<std::u16string> paths, int windowMode) {
  DocumentModel document;
  for (auto& path : paths) {
    MovieItem item;
    item.path = path;
    document.movieList.items.push_back(item);
  }
  document.appearanceOptions.windowMode = windowMode;
  return document;
}

struct Case {
  const char* what;
  std::vector<std::u16string> paths;
  int windowMode;
  FakeComponents fake;
  PrerequisiteOutcome outcome;
  int windowModeAfter;
  bool controlPathSet;
  std::vector<std::string> calls;
};

using O = PrerequisiteOutcome;
using S = TransparencySupport;

FakeComponents With(auto change) {
  FakeComponents fake;
  change(fake);
  return fake;
}

TEST(CheckPrerequisites, DecisionTable) {
  std::vector<Case> cases = {
      {"no movie at all: nothing is examined, transparency kept", {u"a.jpg", u"b.htm"}, 2, {}, O::kOpaque, 2, false, {}},
      {"the extension is compared without regard to case", {u"a.jpg", u"B.SwF"}, 0, {}, O::kOpaque, 0, false,
       {"version"}},
      {"control missing, installed by the required installer", {u"m.swf"}, 0,
       With([](auto& f) { f.versions = {0, 7}; }), O::kOpaque, 0, false, {"version", "install required", "version"}},
      {"control missing, installer cannot start: exit", {u"m.swf"}, 0,
       With([](auto& f) { f.installerStarts = false; f.versions = {0}; }), O::kExit, 0, false,
       {"version", "install required"}},
      {"control missing, still missing after installing: exit", {u"m.swf"}, 0,
       With([](auto& f) { f.versions = {0}; }), O::kExit, 0, false, {"version", "install required", "version"}},
      {"control missing, no installer in the package: the player window has its say", {u"m.swf"}, 2,
       With([](auto& f) { f.versions = {0}; f.installerCarried = false; f.available = {true}; }), O::kTransparent, 2,
       false, {"version", "support", "available?"}},
      {"version 6: the optional installer runs once, its result unused", {u"m.swf"}, 1,
       With([](auto& f) { f.versions = {6}; f.installerStarts = false; }), O::kOpaque, 1, false,
       {"version", "install optional"}},
      {"8 bits per pixel: string 12, played opaque", {u"m.swf"}, 2,
       With([](auto& f) { f.support = S::kTooFewColours; }), O::kOpaque, 0, false, {"version", "support", "warn 12"}},
      {"no layered windows: string 14; OK with the box ticked suppresses it", {u"m.swf"}, 2,
       With([](auto& f) { f.support = S::kNoLayeredWindows; f.warningAnswer = {true, true}; }), O::kOpaque, 0, false,
       {"version", "support", "warn 14", "suppress"}},
      {"the box ticked but the dialog closed otherwise: nothing written", {u"m.swf"}, 2,
       With([](auto& f) { f.support = S::kTooFewColours; f.warningAnswer = {false, true}; }), O::kOpaque, 0, false,
       {"version", "support", "warn 12"}},
      {"warning suppressed: opaque without a word", {u"m.swf"}, 2,
       With([](auto& f) { f.support = S::kTooFewColours; f.warningWanted = false; }), O::kOpaque, 0, false,
       {"version", "support"}},
      {"control already registered: nothing extracted", {u"m.swf"}, 2,
       With([](auto& f) { f.available = {true}; }), O::kTransparent, 2, false, {"version", "support", "available?"}},
      {"control put in place from the package", {u"m.swf"}, 2, With([](auto& f) { f.available = {false, true}; }),
       O::kTransparent, 2, true, {"version", "support", "available?", "extract", "register", "available?"}},
      {"no control in the package: opaque", {u"m.swf"}, 2, With([](auto& f) { f.extracts = false; }), O::kOpaque, 0,
       false, {"version", "support", "available?", "extract"}},
      {"registration refused: the file is removed, opaque", {u"m.swf"}, 2,
       With([](auto& f) { f.registers = false; }), O::kOpaque, 0, false,
       {"version", "support", "available?", "extract", "register", "remove"}},
      {"registered but still not creatable: undone, opaque", {u"m.swf"}, 2, {}, O::kOpaque, 0, false,
       {"version", "support", "available?", "extract", "register", "available?", "remove"}},
  };
  for (auto& c : cases) {
    DocumentModel document = Document(c.paths, c.windowMode);
    std::u16string controlFilePath = u"left from before";
    EXPECT_EQ(CheckPrerequisites(document, u"C:\\tmp dir", controlFilePath, c.fake), c.outcome) << c.what;
    EXPECT_EQ(document.appearanceOptions.windowMode, c.windowModeAfter) << c.what;
    EXPECT_EQ(controlFilePath, c.controlPathSet ? u"C:\\tmp dir\\zp1.dat" : u"") << c.what;
    EXPECT_EQ(c.fake.calls, c.calls) << c.what;
  }
}

TEST(CheckPrerequisites, MajorVersionIsTheUpperHalfReadUnsigned) {
  EXPECT_EQ(MajorVersionOf(0x0007FFFF), 7);
  EXPECT_EQ(MajorVersionOf(0x00060000), 6);
  EXPECT_EQ(MajorVersionOf(0x0000FFFF), 0);
  EXPECT_EQ(MajorVersionOf(0xFFFF0000), 65535);
}

}  // namespace
}  // namespace zp::support
