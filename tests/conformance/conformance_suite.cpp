#include "conformance_suite.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

namespace zp::conformance {
namespace {

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// `num_frames = N` or `num_ticks = N` from a test.toml; 1 when neither is there.
int FramesFromToml(const std::string& toml) {
  std::istringstream lines(toml);
  std::string line;
  while (std::getline(lines, line)) {
    for (const char* key : {"num_frames", "num_ticks"}) {
      if (line.rfind(key, 0) != 0) continue;
      const size_t equals = line.find('=');
      if (equals != std::string::npos) return std::max(1, std::atoi(line.c_str() + equals + 1));
    }
  }
  return 1;
}

// 0 when a test.toml asks for `quality = "low"`, else 1.
int HighQualityFromToml(const std::string& toml) {
  std::istringstream lines(toml);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t key = line.find("quality");
    if (key == std::string::npos || line.find("=", key) == std::string::npos) continue;
    const size_t value = line.find('"', line.find('=', key));
    if (value != std::string::npos && line.compare(value, 5, "\"low\"") == 0) return 0;
  }
  return 1;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

// A field that may be missing or null (the manifest writes null for "none").
std::string Text(const nlohmann::json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

int Number(const nlohmann::json& object, const char* key, int fallback) {
  const auto it = object.find(key);
  return it != object.end() && it->is_number() ? it->get<int>() : fallback;
}

}  // namespace

std::optional<std::vector<MovieCase>> ReadSuite(const std::filesystem::path& folder) {
  const auto manifest = nlohmann::json::parse(ReadText(folder / "manifest.json"), nullptr, false);
  if (manifest.is_discarded() || !manifest.contains("movies")) return std::nullopt;
  std::vector<MovieCase> cases;
  for (const auto& movie : manifest["movies"]) {
    if (!movie.is_object()) continue;
    MovieCase c;
    c.name = Text(movie, "name");
    c.visual = Text(movie, "kind") == "visual";
    c.swf = folder / Text(movie, "file");
    const std::string output = Text(movie, "expected_output");
    if (!output.empty() && std::filesystem::exists(folder / output)) c.expectedOutput = folder / output;
    const std::string toml = ReadText(folder / c.name / "test.toml");
    c.frames = FramesFromToml(toml);
    c.highQuality = HighQualityFromToml(toml);
    if (const auto rate = movie.find("frame_rate"); rate != movie.end() && rate->is_number()) {
      c.frameRate = rate->get<double>();
    }
    const auto comparisons = movie.find("comparisons");
    const bool listed = comparisons != movie.end() && comparisons->is_array();
    for (const auto& entry : listed ? *comparisons : nlohmann::json::array()) {
      if (!entry.is_object()) continue;
      Comparison comparison;
      comparison.png = Text(entry, "png");
      comparison.iteration = std::max(1, Number(entry, "iteration", 1));
      const auto checks = entry.find("ruffle_checks");
      for (const auto& check : checks != entry.end() && checks->is_array() ? *checks : nlohmann::json::array()) {
        if (!check.is_object()) continue;
        comparison.tolerance = std::max(comparison.tolerance, Number(check, "tolerance", 0));
        comparison.maxOutliers = std::max(comparison.maxOutliers, Number(check, "max_outliers", 0));
      }
      c.comparisons.push_back(comparison);
    }
    if (!c.name.empty()) cases.push_back(std::move(c));
  }
  return cases;
}

Match ComparePixels(const std::vector<uint32_t>& actual, const std::vector<uint32_t>& expected, int width, int height,
                    const Comparison& comparison) {
  Match match;
  match.pixels = static_cast<uint64_t>(width) * height;
  if (actual.size() < match.pixels || expected.size() < match.pixels) return match;
  const int tolerance = std::max(kMinTolerance, comparison.tolerance);
  for (uint64_t i = 0; i < match.pixels; ++i) {
    const uint32_t want = expected[i], got = actual[i];
    const int alpha = want >> 24;
    bool ok = true;
    for (int shift = 0; shift < 24 && ok; shift += 8) {
      const int w = ((want >> shift) & 0xFF) * alpha / 255 + (255 - alpha);
      const int g = (got >> shift) & 0xFF;
      ok = std::abs(w - g) <= tolerance;
    }
    if (ok) ++match.passing;
  }
  const uint64_t allowed =
      std::max<uint64_t>(comparison.maxOutliers, static_cast<uint64_t>(match.pixels * kMaxOutlierShare));
  match.within = match.pixels - match.passing <= allowed;
  return match;
}

bool TraceMatches(const std::string& actual, const std::string& expected) { return Lines(actual) == Lines(expected); }

}  // namespace zp::conformance
