#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "commands.h"
#include "core/document/document_archive.h"
#include "core/package_reader.h"
#include "core/package_writer.h"
#include "core/text.h"
#include "test_files.h"
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
    Write("stub/Projector.exe", StandInPlayer());
    Write("movies/intro.swf", "FWS intro");
    Write("movies/data/more.xml", "<more/>");
    Write("pictures/photo.png", "PNG photo");
    Write("app.ico", "ICON");
  }
  void TearDown() override { fs::remove_all(root_); }

  // The smallest program the packer takes for a player: DOS and PE headers for x86-64, and the
  // player's settings key among its strings.
  static std::string StandInPlayer(uint16_t characteristics = 0x0022) {
    std::string image(0x40, '\0');
    image[0] = 'M', image[1] = 'Z', image[0x3C] = 0x40;
    image += std::string("PE\0\0\x64\x86", 6) + std::string(16, '\0');
    image += static_cast<char>(characteristics & 0xFF);
    image += static_cast<char>(characteristics >> 8);
    image += "stand-in program image ";
    for (char c : std::string("ZentrapolisProjector")) image += std::string {c, '\0'};
    return image;
  }

  fs::path Path(const std::string& relative) const { return root_ / relative; }
  void Write(const std::string& relative, const std::string& text) {
    fs::create_directories(Path(relative).parent_path());
    std::ofstream(Path(relative), std::ios::binary) << text;
  }
  // Runs a command line in-process; relative file arguments are under the test folder.
  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return RunCommandLine(args, {Path("stub/Projector.exe")}, out_, err_);
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
    const auto document = ReadDocumentWithFiles(Path(file));
    EXPECT_TRUE(document.has_value());
    return document.value_or(zp::DocumentModel());
  }
  std::string Read(const std::string& relative) {
    const auto bytes = ReadWholeFile(Path(relative));
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
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
  EXPECT_EQ(inspected["records"][0]["offset"], StandInPlayer().size());
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
      {R"({"items": ["movies/intro.swf"])" "\n" R"(, "window": {"title": "a",)" "\n" R"(  "title": "b"}})",
       "window: \"title\" appears twice, at line 2, column 14 and at line 3, column 3"},
      {R"({"items": []})", "items: the presentation has no items"},
      {R"({"items": ["movies"]})", "items[0].file: cannot read "},
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
  EXPECT_NE(err_.str().find("none.exe: no such file"), std::string::npos) << err_.str();
  ASSERT_EQ(Run({"pack", PathText(Path("m.json")), "-o", PathText(Path("out.exe"))}), 0);
  EXPECT_EQ(Run({"pack", PathText(Path("m.json")), "-o", PathText(Path("twice.exe")), "--stub", PathText(Path("out.exe"))}), 2);
  EXPECT_NE(err_.str().find("already carries a package"), std::string::npos);
  // Files that are no player, each refused with its reason.
  std::string other = StandInPlayer();
  other.resize(other.find(std::string("Z\0e\0n", 5)));
  const std::pair<std::string, std::string> strangers[] = {
      {"MZ but nothing more", "it is not a Windows program"},
      {StandInPlayer(0x2022), "it is a Windows library, not a program"},
      {other, "it is a Windows program but not the Zentrapolis player"},
  };
  for (const auto& [bytes, reason] : strangers) {
    Write("stranger.exe", bytes);
    EXPECT_EQ(Run({"pack", PathText(Path("m.json")), "-o", PathText(Path("x.exe")), "--stub", PathText(Path("stranger.exe"))}), 2);
    EXPECT_NE(err_.str().find("stranger.exe: " + reason), std::string::npos) << err_.str();
  }
  // Without --stub and no player where zentra looks: every place looked at is named.
  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine({"pack", PathText(Path("m.json")), "-o", PathText(Path("x.exe"))},
                           {Path("a/Projector.exe"), Path("b/Projector.exe")}, out, err),
            2);
  EXPECT_NE(err.str().find(PathText(Path("a/Projector.exe"))), std::string::npos) << err.str();
  EXPECT_NE(err.str().find(PathText(Path("b/Projector.exe"))), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(Path("x.exe")));
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
  // Each command's own help, on stdout, and the version.
  for (const char* command : {"pack", "inspect", "extract"}) {
    EXPECT_EQ(Run({command, "--help"}), 0) << command;
    EXPECT_EQ(out_.str().find(std::string("usage: zentra ") + command), 0u) << out_.str();
    EXPECT_TRUE(err_.str().empty());
  }
  EXPECT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(out_.str().find("zentra 1."), 0u) << out_.str();
  EXPECT_EQ(Run({"inspect", "x.exe", "--stub", "y"}), 1);
  EXPECT_NE(err_.str().find("inspect has no option --stub"), std::string::npos);
  // What the system says, never a C++ library's words.
  EXPECT_EQ(Run({"inspect", PathText(Path("stub"))}), 2);
  EXPECT_NE(err_.str().find("stub: it is a folder, not a file"), std::string::npos) << err_.str();
  Write("m.json", R"({"items": ["movies/intro.swf"]})");
  EXPECT_EQ(Run({"pack", PathText(Path("m.json")), "-o", PathText(Path("no/such/dir/out.exe"))}), 2);
  EXPECT_NE(err_.str().find("cannot write " + PathText(Path("no/such/dir/out.exe")) + ": No such file or directory"),
            std::string::npos)
      << err_.str();
}

TEST_F(Zentra, OutputsThatWouldOverwriteAnInputAreRefused) {
  Write("m.json", R"({"items": ["movies/intro.swf"], "window": {"icon": "app.ico"}})");
  const std::pair<std::string, std::string> outputs[] = {
      {"m.json", "is the manifest"},
      {"movies/intro.swf", "is the file the manifest names at items[0].file"},
      {"app.ico", "is the file the manifest names at window.icon"},
      {"stub/Projector.exe", "is the stub"},
  };
  for (const auto& [output, clash] : outputs) {
    const std::string before = Read(output);
    EXPECT_EQ(Run({"pack", PathText(Path("m.json")), "-o", PathText(Path(output))}), 2) << output;
    EXPECT_NE(err_.str().find(clash), std::string::npos) << err_.str();
    EXPECT_EQ(Read(output), before) << output;
  }
}

TEST_F(Zentra, PartsTheDocumentNeedsAreLookedForAndMissedAloud) {
  // Only the stub: the resource library is always needed, the installer for movies.
  ASSERT_EQ(PackText(R"({"items": ["movies/intro.swf"]})"), 0) << err_.str();
  EXPECT_NE(err_.str().find("warning: the package has no CommonResources.dll (looked in "), std::string::npos)
      << err_.str();
  EXPECT_NE(err_.str().find("no InstallFlashPlayer.exe"), std::string::npos) << err_.str();
  EXPECT_EQ(err_.str().find("Fernwik.ocx"), std::string::npos) << err_.str();  // not transparent
  // A folder of the manifest's own is looked in first.
  Write("parts/CommonResources.dll", "resources");
  Write("parts/InstallFlashPlayer.exe", "installer");
  ASSERT_EQ(PackText(R"({"items": ["movies/intro.swf"], "package": {"folder": "parts"}})"), 0) << err_.str();
  EXPECT_TRUE(err_.str().empty()) << err_.str();
  EXPECT_EQ(InspectJson()["records"].size(), 3u);
  ASSERT_EQ(PackText(R"({"items": ["pictures/photo.png"], "window": {"mode": "transparent"}})"), 0);
  EXPECT_NE(err_.str().find("no Fernwik.ocx"), std::string::npos) << err_.str();
  EXPECT_EQ(err_.str().find("InstallFlashPlayer"), std::string::npos) << err_.str();  // no movies
}

TEST_F(Zentra, ExtensionLibrariesForAnotherMachineAreWarnedAbout) {
  std::string x86 = StandInPlayer(0x2102);
  x86[0x44] = 0x4C, x86[0x45] = 0x01;  // i386
  Write("old/OldFSCmd.dll", x86);
  Write("new/NewFSCmd.dll", StandInPlayer(0x2022));
  ASSERT_EQ(PackText(R"({"items": ["movies/intro.swf"], "package": {"extensionLibraries": ["old/OldFSCmd.dll", "new/NewFSCmd.dll"]}})"), 0)
      << err_.str();
  EXPECT_NE(err_.str().find("OldFSCmd.dll is built for 32-bit x86 and the player for x64; the player cannot load it"),
            std::string::npos)
      << err_.str();
  EXPECT_EQ(err_.str().find("NewFSCmd.dll is built"), std::string::npos) << err_.str();
}

TEST_F(Zentra, ExtractWantsAnEmptyFolderOrForce) {
  ASSERT_EQ(PackText(R"({"items": ["movies/intro.swf"]})"), 0);
  Write("there/manifest.json", "my own manifest");
  EXPECT_EQ(Run({"extract", PathText(Path("out.exe")), "-d", PathText(Path("there"))}), 2);
  EXPECT_NE(err_.str().find("is not empty"), std::string::npos) << err_.str();
  EXPECT_EQ(Read("there/manifest.json"), "my own manifest");
  EXPECT_EQ(Run({"extract", PathText(Path("out.exe")), "-d", PathText(Path("there")), "--force"}), 0) << err_.str();
  EXPECT_NE(err_.str().find("replacing " + PathText(Path("there/manifest.json"))), std::string::npos) << err_.str();
  EXPECT_NE(Read("there/manifest.json").find("intro.swf"), std::string::npos);
}

TEST_F(Zentra, CutPackagesFailAndSayWhatIsMissing) {
  Write("stub/CommonResources.dll", std::string(3000, 'r'));
  ASSERT_EQ(PackText(R"({"items": [{"file": "movies/intro.swf", "linked": [{"file": "movies/data/more.xml"}]}],
                         "window": {"icon": "app.ico"}})"),
            0);
  const std::vector<uint8_t> whole = *ReadWholeFile(Path("out.exe"));
  const json records = InspectJson()["records"];
  ASSERT_EQ(records.size(), 2u);
  const size_t documentAt = records[0]["offset"], libraryAt = records[1]["offset"];
  const size_t tagBytes = zp::kDocumentTag.Text().size() * 2;
  for (size_t length = documentAt + tagBytes; length < whole.size(); length += 5) {
    // A cut between two records leaves a shorter package that is whole in itself.
    if (length == libraryAt) continue;
    SCOPED_TRACE(length);
    ASSERT_TRUE(WriteWholeFile(Path("cut.exe"), std::vector<uint8_t>(whole.begin(), whole.begin() + length)));
    ASSERT_EQ(Run({"inspect", PathText(Path("cut.exe"))}), 2);
    const std::string cutRecord = length < libraryAt ? "the document record" : " record at " + std::to_string(libraryAt);
    ASSERT_NE(err_.str().find(cutRecord), std::string::npos) << err_.str();
    fs::remove_all(Path("cut"));
    ASSERT_EQ(Run({"extract", PathText(Path("cut.exe")), "-d", PathText(Path("cut"))}), 2);
    ASSERT_NE(err_.str().find("left out:"), std::string::npos) << err_.str();
    // What was whole is written: the document (and its manifest) when only the library is cut.
    ASSERT_EQ(fs::exists(Path("cut/manifest.json")), length > libraryAt) << err_.str();
    ASSERT_EQ(err_.str().find("record at " + std::to_string(libraryAt)) != std::string::npos,
              length > libraryAt)
        << err_.str();
  }
  // Flipped bytes in the payloads: reported, never crashed on.
  for (size_t at = documentAt; at < whole.size(); at += 13) {
    std::vector<uint8_t> damaged = whole;
    damaged[at] ^= 0x5A;
    ASSERT_TRUE(WriteWholeFile(Path("flipped.exe"), damaged));
    const int inspected = Run({"inspect", PathText(Path("flipped.exe"))});
    ASSERT_TRUE(inspected == 0 || inspected == 2) << at;
  }
}

// The core's paths have backslashes; here they are POSIX paths.
fs::path Native(std::u16string path) {
  std::replace(path.begin(), path.end(), u'\\', u'/');
  return PathFromText(zp::U16ToUtf8(path));
}

// Packs in a child process whose address space is limited, so that a packer that holds a
// whole file, or the whole document, fails there.
int PackWithLimitedMemory(const std::vector<std::string>& args, size_t allowedBytes) {
  const pid_t child = fork();
  if (child == 0) {
    mallopt(M_ARENA_MAX, 1);  // one heap, not one reserved per thread
    std::ifstream statm("/proc/self/statm");
    size_t pages = 0;
    statm >> pages;
    const rlim_t limit = pages * static_cast<size_t>(sysconf(_SC_PAGESIZE)) + allowedBytes;
    const rlimit bound {limit, limit};
    setrlimit(RLIMIT_AS, &bound);
    std::ostringstream out, err;
    _exit(RunCommandLine(args, {}, out, err));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

TEST_F(Zentra, BigPresentationsStreamThroughBoundedMemory) {
  constexpr size_t kBig = 96u << 20;
  constexpr size_t kBound = 64u << 20;
  // Half text-like, half noise: the compressed payload is made of many deflated blocks.
  std::string big(kBig, '\0');
  uint32_t state = 1;
  for (size_t i = 0; i < big.size(); ++i) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    big[i] = i < kBig / 2 ? "presentation "[i % 13] : static_cast<char>(state);
  }
  Write("movies/big.swf", big);
  Write("m.json", R"({"items": ["movies/big.swf", "movies/intro.swf"]})");
  const std::string stub = PathText(Path("stub/Projector.exe"));
  ASSERT_EQ(PackWithLimitedMemory({"pack", PathText(Path("m.json")), "-o", PathText(Path("out.exe")), "--stub", stub},
                                  kBound),
            0);
  // Reading maps the package; the rest stays within the bound.
  ASSERT_EQ(PackWithLimitedMemory({"inspect", PathText(Path("out.exe"))}, kBig + kBound), 0);
  ASSERT_EQ(PackWithLimitedMemory({"extract", PathText(Path("out.exe")), "-d", PathText(Path("x"))}, kBig + kBound), 0);
  EXPECT_TRUE(Read("x/files/big.swf") == big);

  // The player's own reader takes the joined stream as it is.
  const auto offset = zp::FindDocumentRecord(zp::Utf8ToU16(PathText(Path("out.exe"))));
  ASSERT_TRUE(offset.has_value());
  const auto source = zp::ReadDocumentRecord(zp::Utf8ToU16(PathText(Path("out.exe"))), *offset);
  ASSERT_TRUE(source && source->temporary());  // it was compressed, and inflated
  const auto inflated = ReadWholeFile(Native(source->path()));
  ASSERT_TRUE(inflated.has_value());
  zp::DocumentModel model;
  zp::DocumentLoadOptions keep;
  keep.keepFileBytes = true;
  ASSERT_TRUE(zp::LoadDocumentArchive(*inflated, model, keep));
  const std::vector<uint8_t>& played = model.movieList.items.at(0).file.data;
  EXPECT_TRUE(std::string(played.begin(), played.end()) == big);
}

TEST_F(Zentra, CompressionThatDoesNotPayIsDropped) {
  std::string noise(6u << 20, '\0');
  uint32_t state = 7;
  for (char& c : noise) {
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    c = static_cast<char>(state);
  }
  Write("movies/noise.swf", noise);
  Write("stub/CommonResources.dll", std::string(100000, 'r'));
  Write("stub/ZentraFSCmd.dll", noise.substr(0, 200000));
  ASSERT_EQ(PackText(R"({"items": ["movies/noise.swf"]})"), 0) << err_.str();
  const json records = InspectJson()["records"];
  ASSERT_EQ(records.size(), 3u);
  EXPECT_FALSE(records[0]["compressed"].get<bool>());  // the document: noise, stored
  EXPECT_TRUE(records[1]["compressed"].get<bool>());   // text-like, compressed
  EXPECT_FALSE(records[2]["compressed"].get<bool>());
  EXPECT_LT(fs::file_size(Path("out.exe")), noise.size() + 300000 + 4096);
  // And what is stored reads back the same, in the player too.
  const std::u16string package = zp::Utf8ToU16(PathText(Path("out.exe")));
  const zp::test::ScratchDirectory scratch;
  ASSERT_TRUE(zp::ExtractFileRecords(package, zp::kFsCommandLibraryTag, scratch.path(), true));
  ASSERT_TRUE(zp::ExtractFileRecords(package, zp::kResourceLibraryTag, scratch.path(), true));
  EXPECT_EQ(ReadWholeFile(Native(scratch.File(u"ZentraFSCmd.dll"))),
            std::vector<uint8_t>(noise.begin(), noise.begin() + 200000));
  EXPECT_EQ(ReadWholeFile(Native(scratch.File(u"CommonResources.dll")))->size(), 100000u);
  EXPECT_EQ(DocumentOf("out.exe").movieList.items.at(0).file.data,
            std::vector<uint8_t>(noise.begin(), noise.end()));
}

}  // namespace
}  // namespace zentra
