// A movie file's stage size, frame rate and frame count, read from its header ("FWS" in place,
// "CWS" inflated once into a buffer of the declared length). Files that are not movies are
// measured by a caller-supplied fallback (the player asks a hidden movie control).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace zp {

struct MovieInfo {
  bool compressed = false;
  uint32_t version = 0;
  uint32_t fileLength = 0;
  // The stage in whole pixels (twips / 20, toward zero).
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 600;
  int32_t bottom = 400;
  uint32_t frameRate = 0;  // whole frames per second; the fraction is dropped
  uint32_t frameCount = 1;
};

// What a measuring fallback reports for a file that is not a movie.
struct MeasuredMovie {
  int32_t width = 0;
  int32_t height = 0;
  uint32_t frameCount = 0;
};

// Asks something that can play the file (a hidden control) for its size and frames; nullopt
// when it could not be created.
using MovieMeasurer = std::function<std::optional<MeasuredMovie>(const std::u16string& path)>;

// The failure record: callers ignore it, but it is well defined.
MovieInfo MovieInfoFailureDefaults(uint32_t fileSize);

// Reads an "FWS" or "CWS" image. Fails when the signature is neither, the header is cut short,
// the file is 8 bytes or less, or a compressed body does not inflate to exactly the declared
// length.
std::optional<MovieInfo> ParseMovieInfo(std::span<const uint8_t> bytes);

// Maps the file and parses it; other files go to `measurer` (may be empty: then they fail).
// On false `info` holds the failure defaults.
bool ReadMovieInfo(const std::u16string& path, MovieInfo& info, const MovieMeasurer& measurer = {});

// "  -12abc" → -12: leading blanks, a sign, digits; anything else reads as 0.
int32_t LeadingInteger(const std::u16string& text);

}  // namespace zp
