// The player a package is appended to: where zentra finds it, and how it tells it from any
// other file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zentra {

namespace fs = std::filesystem;

inline constexpr const char* kPlayerName = "Projector.exe";

// Where to look when no --stub is given: beside zentra itself, then the Windows build tree of
// the same checkout (build/win/bin when zentra is build/native/bin/zentra).
std::vector<fs::path> DefaultStubPlaces(const fs::path& zentraDirectory);

// The first of the places that holds the player; otherwise `error` lists where it looked.
std::optional<fs::path> FindStub(const std::vector<fs::path>& places, std::string& error);

// Why these bytes cannot be the stub ("it is not a Windows program ...", "it is a Windows
// program but not the Zentrapolis player"); empty when they can.
std::string StubProblem(std::span<const uint8_t> program);

}  // namespace zentra
