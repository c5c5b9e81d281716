#include "stub.h"

#include <algorithm>

#include "core/package_format.h"
#include "core/text.h"
#include "manifest.h"

namespace zentra {

namespace {

constexpr uint16_t kDosMagic = 0x5A4D;          // "MZ"
constexpr uint32_t kPeSignature = 0x00004550;   // "PE\0\0"
constexpr size_t kPeHeaderOffsetField = 0x3C;
constexpr size_t kCharacteristicsField = 22;    // after the signature
constexpr uint16_t kImageIsLibrary = 0x2000;
// The player's settings key: every Projector.exe carries it, our other programs do not.
constexpr char16_t kPlayerMark[] = u"ZentrapolisProjector";

std::optional<size_t> PeHeader(std::span<const uint8_t> program) {
  const auto magic = zp::ReadU32(program, 0);
  if (!magic || (*magic & 0xFFFF) != kDosMagic) return std::nullopt;
  const auto offset = zp::ReadU32(program, kPeHeaderOffsetField);
  if (!offset || zp::ReadU32(program, *offset) != kPeSignature) return std::nullopt;
  return *offset;
}

bool Contains(std::span<const uint8_t> bytes, std::u16string_view text) {
  std::vector<uint8_t> pattern;
  for (char16_t unit : text) {
    pattern.push_back(static_cast<uint8_t>(unit));
    pattern.push_back(static_cast<uint8_t>(unit >> 8));
  }
  return std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end()) != bytes.end();
}

}  // namespace

std::vector<fs::path> DefaultStubPlaces(const fs::path& zentraDirectory) {
  std::vector<fs::path> places {zentraDirectory / kPlayerName,
                                (zentraDirectory / ".." / ".." / "win" / "bin" / kPlayerName).lexically_normal()};
  std::error_code code;
  const fs::path here = fs::current_path(code);
  if (!code) places.push_back(here / "build" / "win" / "bin" / kPlayerName);
  return places;
}

std::optional<fs::path> FindStub(const std::vector<fs::path>& places, std::string& error) {
  std::string looked;
  for (const fs::path& place : places) {
    std::error_code code;
    if (fs::is_regular_file(place, code)) return place;
    looked += "\n  " + PathText(place);
  }
  error = std::string("no player to pack into; looked for ") + kPlayerName + " at:" + looked +
          "\nbuild it (scripts/test builds build/win/bin/Projector.exe) or name one with --stub";
  return std::nullopt;
}

std::string StubProblem(std::span<const uint8_t> program) {
  const auto header = PeHeader(program);
  if (!header) return "it is not a Windows program (no MZ and PE headers)";
  const auto characteristics = zp::ReadU32(program, *header + kCharacteristicsField);
  if (characteristics && (*characteristics & kImageIsLibrary) != 0) {
    return "it is a Windows library, not a program; the stub is the player, Projector.exe";
  }
  if (!Contains(program, kPlayerMark)) {
    return "it is a Windows program but not the Zentrapolis player (Projector.exe)";
  }
  return {};
}

}  // namespace zentra
