#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "commands.h"
#include "core/document/document_archive.h"
#include "core/package_writer.h"
#include "document_samples.h"
#include "manifest.h"
#include "package_file.h"

namespace zentra {
namespace {

using json = nlohmann::json;

class Zentra : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("zentra-test-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "stub");
    Write("stub/Projector.exe", "MZ stand-in program image");
    Write("movies/intro.swf", "FWS intro");
    Write("movies/data/more.xml", "<more/>");
    Write("pictures/photo.png", "PNG photo");
    Write("app.ico", "ICON");
  }
  void TearDown() override { fs::remove_all(root_); }

  fs::path Path(const std::string& relative) const { return root_ / relative; }
  void Write(const std::string& relative, const std::string& text) {
    fs::create_directories(Path(relative).parent_path());
    std::ofstream(Path(relative), std::ios::binary) << text;
  }
  // Runs a command line in-process; relative file arguments are under the test folder.
  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return RunCommandLine(args, Path("stub/Projector.exe"), out_, err_);
  }
  int PackText(const std::string& manifest) {
    Write("m.json", manifest);
    return Run({"pack", PathText(Path("m.json")), "-o", PathText(Path("out.exe"))});
  }
  json InspectJson(const std::string& file = "out.exe") {
    EXPECT_EQ(Run({"inspect", PathText(Path(file)), "--json"}), 0) << err_.str();
    return json::parse(out_.str());
  }
  zp::DocumentModel DocumentOf(const std::string& file) {
    const auto bytes = ReadWholeFile(Path(file));
    const auto contents = ReadPackage(*bytes);
    EXPECT_TRUE(contents->document.has_value()) << contents->documentError;
    return contents->document.value_or(zp::DocumentModel());
  }

  fs::path root_;
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(Zentra, InspectGivesBackWhatTheManifestSaid) {
  const json options = {
      {"size", {{"mode", "percent"}, {"percent", 80}, {"workAreaOnly", false}}},
      {"position", "top-left"},
      {"shape", "ellipse"},
      {"playback", {{"quality", "high"}}},
      {"window", {{"title", "Ünïcode title"}, {"background", "#102030"}, {"taskbar", false}, {"mode", "background"}}},
      {"mouse", {{"rightButton", "drag"}}},
      {"menu", {{"zoomIn", false}}},
      {"about", {{"hidden", false}, {"text1", "About"}}},
      {"panel", {{"textColor", "#FF0000"}, {"font", {{"face", "Arial"}, {"height", -16}, {"weight", 700}}}}},
      {"log", {{"show", true}}},
      {"notes", "Some notes"},
  };
  json manifest = options;
  manifest["items"] = {{{"file", "movies/intro.swf"}, {"playTime", 2.5}},
                       {{"file", "pictures/photo.png"}, {"playTime", 4}}};
  manifest["window"]["icon"] = "app.ico";
  ASSERT_EQ(PackText("// a comment\n" + manifest.dump()), 0) << err_.str();

  const json inspected = InspectJson();
  json expected = options;
  expected["window"]["icon"] = {{"storedPath", "app.ico"}, {"size", 4}};
  EXPECT_EQ(inspected["document"]["options"], expected);
  const json& items = inspected["document"]["items"];
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0]["kind"], "movie");
  EXPECT_EQ(items[0]["storedPath"], "movies\\intro.swf");
  EXPECT_EQ(items[0]["size"], 9);
  EXPECT_EQ(items[0]["playTime"], 2.5);
  EXPECT_EQ(items[1]["kind"], "picture");
  EXPECT_EQ(inspected["records"][0]["kind"], "document");
  EXPECT_EQ(inspected["records"][0]["offset"], 25);
  EXPECT_EQ(inspected["records"][0]["version"], 150);
  EXPECT_TRUE(inspected["records"][0]["compressed"].get<bool>());

  EXPECT_EQ(Run({"inspect", PathText(Path("out.exe"))}), 0);
  EXPECT_NE(out_.str().find("size.percent = 80"), std::string::npos) << out_.str();
}

TEST_F(Zentra, LinkedFilesLandWhereTheMovieLooks) {
  ASSERT_EQ(PackText(R"({"items": [{"file": "movies/intro.swf",
      "linked": [{"file": "movies/data/more.xml", "as": "data/more.xml"}, {"path": "C:\\outside.txt"}]}]})"),
            0)
      << err_.str();
  const zp::DocumentModel document = DocumentOf("out.exe");
  const zp::MovieItem& item = document.movieList.items.at(0);
  ASSERT_EQ(item.linked.size(), 2u);
  EXPECT_EQ(item.linked[0].name, u"files\\data\\more.xml");
  EXPECT_EQ(item.linked[0].embedded, 1);
  EXPECT_EQ(item.linked[1].name, u"files\\outside.txt");
  EXPECT_EQ(item.linked[1].path, u"C:\\outside.txt");
  EXPECT_EQ(item.links, u"|||files\\data\\more.xml||||files\\outside.txt");
}

TEST_F(Zentra, ExtractThenPackGivesTheSameDocument) {
  // A document with every field away from its default, as another writer might have made it.
  zp::DocumentModel original = zp::test::FullDocument();
  std::vector<uint8_t> package = *ReadWholeFile(Path("stub/Projector.exe"));
  const auto record = zp::MakeDocumentRecord(zp::WriteDocumentSections(original));
  package.insert(package.end(), record.begin(), record.end());
  const auto library = zp::MakeFileRecord(zp::kFsCommandLibraryTag, u"ZentraFSCmd.dll", std::vector<uint8_t>(300, 7));
  package.insert(package.end(), library.begin(), library.end());
  ASSERT_TRUE(WriteWholeFile(Path("original.exe"), package));

  ASSERT_EQ(Run({"extract", PathText(Path("original.exe")), "-d", PathText(Path("extracted"))}), 0) << err_.str();
  Write("stub/CommonResources.dll", "must not be added: the extracted manifest says which files it had");
  ASSERT_EQ(Run({"pack", PathText(Path("extracted/manifest.json")), "-o", PathText(Path("again.exe"))}), 0)
      << err_.str();
  EXPECT_EQ(DocumentOf("again.exe"), DocumentOf("original.exe"));
  EXPECT_EQ(DocumentOf("again.exe"), original);

  const json records = InspectJson("again.exe")["records"];
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1]["kind"], "extension-library");
  EXPECT_EQ(records[1]["fileName"], "ZentraFSCmd.dll");
  EXPECT_EQ(records[1]["size"], 300);
}

TEST_F(Zentra, PackageFilesBesideTheStubGoInByDefault) {
  Write("stub/CommonResources.dll", "resources");
  Write("stub/InstallFlashPlayer.exe", "installer");
  ASSERT_EQ(PackText(R"({"items": ["movies/intro.swf"]})"), 0) << err_.str();
  json records = InspectJson()["records"];
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[1]["fileName"], "CommonResources.dll");
  EXPECT_EQ(records[2]["fileName"], "InstallFlashPlayer.exe");
  EXPECT_TRUE(err_.str().empty());

  ASSERT_EQ(PackText(R"({"items": ["movies/intro.swf"], "package": {"installer": false, "compress": false}})"), 0);
  records = InspectJson()["records"];
  ASSERT_EQ(records.size(), 2u);
  EXPECT_FALSE(records[0]["compressed"].get<bool>());

  // Asked for explicitly but not there: an error that says which file.
  EXPECT_EQ(PackText(R"({"items": ["movies/intro.swf"], "package": {"transparencyControl": true}})"), 2);
  EXPECT_NE(err_.str().find("Fernwik.ocx"), std::string::npos) << err_.str();
}

struct ErrorCase {
  const char* manifest;
  const char* expected;  // part of the message
};

TEST_F(Zentra, ProblemsAreNamedAndEndWithExitCode2) {
  const ErrorCase cases[] = {
      {R"({"items": ["movies/missing.swf"]})", "items[0].file: file not found: "},
      {R"({"window": {"tittle": "x"}})", "window: unknown field \"tittle\"; did you mean \"title\"?"},
      {R"({"sise": {}})", "unknown field \"sise\"; did you mean \"size\"?"},
      {R"({"size": {"percent": "80%"}})", "size.percent: expected a whole number, got the text \"80%\""},
      {R"({"size": {"mode": "percnt"}})", "size.mode: the text \"percnt\" is not allowed; use one of movie, fixed, percent, fullscreen"},
      {R"({"position": "top-leftt"})", "position.preset: the text \"top-leftt\" is not allowed"},
      {R"({"window": {"taskbar": "no"}})", "window.taskbar: expected true or false"},
      {R"({"window": {"background": "#12345"}})", "window.background: expected a colour \"#RRGGBB\""},
      {R"({"items": [{"file": "movies/intro.swf", "playTime": "long"}]})", "items[0].playTime: expected seconds"},
      {R"({"items": [{"file": "movies/intro.swf", "playtime": 3}]})", "did you mean \"playTime\"?"},
      {R"({"items": [)", "not valid JSON"},
      {R"({"window": {"icon": "nothing.ico"}})", "window.icon: file not found"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.manifest);
    EXPECT_EQ(PackText(c.manifest), 2);
    EXPECT_NE(err_.str().find(c.expected), std::string::npos) << err_.str();
    EXPECT_FALSE(fs::exists(Path("out.exe")));
  }
}

TEST_F(Zentra, UnplayableItemsAreWarnedAbout) {
  Write("notes.txt", "text");
  EXPECT_EQ(PackText(R"({"items": ["notes.txt"]})"), 0);
  EXPECT_NE(err_.str().find("warning: items[0]: \"notes.txt\" is not a kind the player plays"), std::string::npos)
      << err_.str();
}

TEST_F(Zentra, StubProblems) {
  Write("m.json", R"({"items": ["movies/intro.swf"]})");
  EXPECT_EQ(Run({"pack", PathText(Path("m.json")), "-o", PathText(Path("out.exe")), "--stub", PathText(Path("none.exe"))}), 2);
  EXPECT_NE(err_.str().find("stub not found"), std::string::npos);
  ASSERT_EQ(Run({"pack", PathText(Path("m.json")), "-o", PathText(Path("out.exe"))}), 0);
  EXPECT_EQ(Run({"pack", PathText(Path("m.json")), "-o", PathText(Path("twice.exe")), "--stub", PathText(Path("out.exe"))}), 2);
  EXPECT_NE(err_.str().find("already carries a package"), std::string::npos);
}

TEST_F(Zentra, UsageAndUnreadableInputs) {
  EXPECT_EQ(Run({}), 1);
  EXPECT_EQ(Run({"pack", "m.json"}), 1);  // no -o
  EXPECT_EQ(Run({"frobnicate"}), 1);
  EXPECT_EQ(Run({"inspect", PathText(Path("stub/Projector.exe"))}), 2);
  EXPECT_NE(out_.str().find("carries no package"), std::string::npos);
  EXPECT_EQ(Run({"inspect", PathText(Path("absent.exe"))}), 2);
  EXPECT_EQ(Run({"extract", PathText(Path("absent.exe")), "-d", PathText(Path("x"))}), 2);
  EXPECT_EQ(Run({"--help"}), 0);
}

TEST_F(Zentra, LargePackagesReportProgress) {
  std::string big(5u << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
  Write("movies/big.swf", big);
  ASSERT_EQ(PackText(R"({"items": ["movies/big.swf"]})"), 0) << err_.str();
  EXPECT_NE(err_.str().find("zentra: compressing the document"), std::string::npos) << err_.str();
  EXPECT_EQ(DocumentOf("out.exe").movieList.items.at(0).file.data.size(), big.size());
}

TEST_F(Zentra, DamagedPackagesAreReportedNotCrashedOn) {
  Write("stub/CommonResources.dll", "resources");
  ASSERT_EQ(PackText(R"({"items": [{"file": "movies/intro.swf", "linked": [{"file": "movies/data/more.xml"}]}],
                         "window": {"icon": "app.ico"}})"),
            0);
  const std::vector<uint8_t> whole = *ReadWholeFile(Path("out.exe"));
  for (size_t length = 0; length <= whole.size(); length += 7) {
    ASSERT_TRUE(WriteWholeFile(Path("cut.exe"), std::vector<uint8_t>(whole.begin(), whole.begin() + length)));
    const int inspected = Run({"inspect", PathText(Path("cut.exe")), "--json"});
    ASSERT_TRUE(inspected == 0 || inspected == 2) << length;
    const int extracted = Run({"extract", PathText(Path("cut.exe")), "-d", PathText(Path("cut"))});
    ASSERT_TRUE(extracted == 0 || extracted == 2) << length;
  }
  // Flipped bytes in the payloads.
  for (size_t at = 25; at < whole.size(); at += 13) {
    std::vector<uint8_t> damaged = whole;
    damaged[at] ^= 0x5A;
    ASSERT_TRUE(WriteWholeFile(Path("flipped.exe"), damaged));
    const int inspected = Run({"inspect", PathText(Path("flipped.exe"))});
    ASSERT_TRUE(inspected == 0 || inspected == 2) << at;
  }
}

}  // namespace
}  // namespace zentra
