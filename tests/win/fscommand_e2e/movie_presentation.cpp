#include "movie_presentation.h"

#include <sstream>

#include "commands.h"
#include "support/e2e_support.h"

namespace zp::e2e {

std::string PackMoviePresentation(const std::wstring& folder, const std::vector<PackedMovie>& movies,
                                  const std::string& manifestOptions, const std::wstring& program) {
  const std::filesystem::path directory(folder);
  std::error_code ignored;
  std::filesystem::create_directories(directory, ignored);
  std::string items;
  for (const PackedMovie& movie : movies) {
    if (!WriteFileBytes((directory / movie.fileName).wstring(), movie.bytes)) return "cannot write " + movie.fileName;
    if (!items.empty()) items += ", ";
    items += "{\"file\": \"" + movie.fileName + "\"}";
  }
  std::string manifest = "{\"items\": [" + items + "]";
  if (!manifestOptions.empty()) manifest += ", " + manifestOptions;
  manifest += "}";
  const auto manifestPath = directory / "manifest.json";
  if (!WriteFileBytes(manifestPath.wstring(), std::vector<uint8_t>(manifest.begin(), manifest.end())))
    return "cannot write the manifest";
  std::ostringstream out, err;
  const int code = zentra::Pack(manifestPath, std::filesystem::path(program), std::filesystem::path(ProjectorPath()),
                                out, err);
  if (code != 0) return "the packer ended with " + std::to_string(code) + ": " + err.str();
  return {};
}

}  // namespace zp::e2e
