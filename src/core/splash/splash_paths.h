// Path rules of the splash program: where its picture and the disc's player are looked for.
// Paths are UTF-16 with backslashes; forward slashes are accepted and turned into backslashes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zp::splash {

// What follows the last separator of the trimmed path (the whole path when there is none).
std::u16string FileNameOfPath(std::u16string_view path);
// The file name without its last extension.
std::u16string FileTitleOfPath(std::u16string_view path);
// The trimmed path without its file name and without trailing backslashes.
std::u16string DirectoryOfPath(std::u16string_view path);

struct PictureCandidate {
  std::u16string path;
  bool animated = false;  // the GIF goes to the animated picture control
};

// The splash picture files tried beside the program, in order of preference: `base` (folder and
// title) with ".jpg", ".jpeg", ".gif", ".png", ".tif", ".ico" and ".bmp".
std::vector<PictureCandidate> SplashPictureCandidates(std::u16string_view base);

}  // namespace zp::splash
