#include "core/splash/splash_paths.h"

#include "core/text.h"

namespace zp::splash {

namespace {

std::u16string WithBackslashes(std::u16string_view path) {
  std::u16string out(path);
  for (auto& c : out) {
    if (c == u'/') c = u'\\';
  }
  return out;
}

}  // namespace

std::u16string FileNameOfPath(std::u16string_view path) {
  const std::u16string clean = WithBackslashes(TrimWhiteSpace(path));
  const size_t separator = clean.rfind(u'\\');
  return separator == std::u16string::npos ? clean : clean.substr(separator + 1);
}

std::u16string FileTitleOfPath(std::u16string_view path) {
  std::u16string name = FileNameOfPath(path);
  const size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos) name.resize(dot);
  return name;
}

std::u16string DirectoryOfPath(std::u16string_view path) {
  // Measured on the trimmed path: blanks around it must not shift where the name is cut off.
  const std::u16string clean = WithBackslashes(TrimWhiteSpace(path));
  const std::u16string_view folder = std::u16string_view(clean).substr(0, clean.size() - FileNameOfPath(clean).size());
  return std::u16string(TrimTrailingBackslashes(folder));
}

std::vector<PictureCandidate> SplashPictureCandidates(std::u16string_view base) {
  static constexpr std::u16string_view kExtensions[] = {u".jpg", u".jpeg", u".gif", u".png", u".tif", u".ico", u".bmp"};
  std::vector<PictureCandidate> candidates;
  for (const auto extension : kExtensions) {
    candidates.push_back({std::u16string(base) + std::u16string(extension), extension == u".gif"});
  }
  return candidates;
}

}  // namespace zp::splash
