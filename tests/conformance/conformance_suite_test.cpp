#include "conformance_suite.h"

#include <gtest/gtest.h>

#include <fstream>

#include "test_files.h"

namespace zp::conformance {
namespace {

TEST(ConformanceSuite, PixelsPassWithinTheToleranceFloorAndPicturesWithinTheOutlierShare) {
  const int width = 100, height = 2;  // 200 pixels: 1 % is 2
  const std::vector<uint32_t> expected(width * height, 0xFF808080);
  struct Case {
    uint32_t off;       // what the differing pixels hold
    int differing;      // how many differ
    Comparison comparison;
    bool within;
    uint64_t passing;
  } cases[] = {
      {0xFF888888, 200, {"", 1, 0, 0}, true, 200},     // 8 per channel: the floor
      {0xFF898080, 2, {"", 1, 0, 0}, true, 198},       // 9 off in red: two outliers are 1 %
      {0xFF898080, 3, {"", 1, 0, 0}, false, 197},
      {0xFF898080, 3, {"", 1, 0, 5}, true, 197},       // the suite's own allowance, when larger
      {0xFF80C080, 200, {"", 1, 64, 0}, true, 200},    // the suite's own tolerance, when larger
      {0xFF80C180, 200, {"", 1, 64, 0}, false, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> actual = expected;
    for (int i = 0; i < c.differing; ++i) actual[i] = c.off;
    const Match m = ComparePixels(actual, expected, width, height, c.comparison);
    EXPECT_EQ(m.within, c.within) << std::hex << c.off << " × " << std::dec << c.differing;
    EXPECT_EQ(m.passing, c.passing);
  }
  // A transparent expected pixel is white; a drawing cut short never passes.
  EXPECT_TRUE(ComparePixels({0xFFFFFFFF}, {0x00000000}, 1, 1, {}).within);
  EXPECT_FALSE(ComparePixels({}, expected, width, height, {}).within);
}

TEST(ConformanceSuite, ReadsTheManifestWithFrameCountsAndComparesTraces) {
  test::ScratchDirectory scratch;
  const std::filesystem::path folder(scratch.path());
  std::filesystem::create_directories(folder / "a");
  std::ofstream(folder / "a" / "test.toml")
      << "num_ticks = 7\n[player_options]\nwith_renderer = { optional = true, quality = \"low\" }\n";
  std::ofstream(folder / "a" / "output.txt") << "x\n";
  std::ofstream(folder / "manifest.json") << R"({"movies": [
    {"name": "a", "kind": "visual", "file": "a/test.swf", "expected_output": "a/output.txt", "frame_rate": 12.5,
     "comparisons": [{"png": "p.png", "iteration": 3, "ruffle_checks": [{"tolerance": 2, "max_outliers": 9}]}]},
    {"name": "b", "kind": "trace", "file": "b/test.swf", "expected_output": null, "comparisons": null},
    "not a movie"]})";
  const auto suite = ReadSuite(folder);
  ASSERT_TRUE(suite);
  ASSERT_EQ(suite->size(), 2u);
  const MovieCase& a = (*suite)[0];
  EXPECT_TRUE(a.visual);
  EXPECT_EQ(a.frames, 7);
  EXPECT_EQ(a.expectedOutput, folder / "a/output.txt");
  ASSERT_EQ(a.comparisons.size(), 1u);
  EXPECT_EQ(a.comparisons[0].iteration, 3);
  EXPECT_EQ(a.comparisons[0].tolerance, 2);
  EXPECT_EQ(a.comparisons[0].maxOutliers, 9);
  EXPECT_EQ(a.highQuality, 0);
  EXPECT_EQ(a.frameRate, 12.5);
  EXPECT_EQ((*suite)[1].frameRate, 0);
  EXPECT_EQ((*suite)[1].frames, 1);  // no test.toml
  EXPECT_EQ((*suite)[1].highQuality, 1);
  EXPECT_TRUE((*suite)[1].expectedOutput.empty());

  std::ofstream(folder / "manifest.json") << "{ broken";
  EXPECT_FALSE(ReadSuite(folder));

  EXPECT_TRUE(TraceMatches("one\r\ntwo\r\n", "one\ntwo\n\n"));
  EXPECT_FALSE(TraceMatches("one\n", "one\ntwo\n"));
  EXPECT_FALSE(TraceMatches("", "x\n"));
}

}  // namespace
}  // namespace zp::conformance
