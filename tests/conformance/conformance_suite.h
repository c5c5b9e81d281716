// The movies of the shared conformance folder as cases to run: which frames to draw and how
// closely they must match, or which trace lines they must print.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zp::conformance {

// One expected picture: drawn after `iteration` frames (the first frame shown counts as 1).
struct Comparison {
  std::string png;  // file name in the movie's folder
  int iteration = 1;
  int tolerance = 0;    // per channel, as the suite states it
  int maxOutliers = 0;  // pixels allowed beyond the tolerance, as the suite states it
};

struct MovieCase {
  std::string name;
  bool visual = false;
  std::filesystem::path swf;
  std::filesystem::path expectedOutput;  // trace lines; empty path when none
  int frames = 1;                        // frames to play for the trace
  double frameRate = 0;                  // frames a second, as the manifest gives it (0: not given)
  // The quality the pictures were drawn at, as the control's high quality property takes it:
  // 0 for low (crisp edges), 1 for medium, high and best, and when the suite says nothing.
  int highQuality = 1;
  std::vector<Comparison> comparisons;
};

// Reads manifest.json in `folder`, with each movie's test.toml for its frame count and quality. Fails
// (nothing) when the manifest cannot be read.
std::optional<std::vector<MovieCase>> ReadSuite(const std::filesystem::path& folder);

// Whether a drawing matches: a pixel passes when every colour channel is within the larger
// of the movie's tolerance and `kMinTolerance`; the picture passes when at most the larger of
// 1 % of its pixels and the movie's outlier allowance fail. Our anti-aliasing is not the one
// the expected pictures were drawn with, so the suite's exact figures would fail every edge.
inline constexpr int kMinTolerance = 8;
inline constexpr double kMaxOutlierShare = 0.01;

struct Match {
  uint64_t pixels = 0;
  uint64_t passing = 0;
  bool within = false;
  double Share() const { return pixels ? static_cast<double>(passing) / pixels : 0; }
};

// Both images are 0xAARRGGBB, `width` × `height`, rows top first; expected pixels with alpha
// are taken over white, as a page shows them.
Match ComparePixels(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected, int width, int height,
                    const Comparison& comparison);

// Trace lines compared one by one (a trailing empty line and carriage returns do not count).
bool TraceMatches(const std::string& actual, const std::string& expected);

}  // namespace zp::conformance
