// Presentations of generated movies, packed the way a user packs them: the movies and a
// manifest in a folder, then the packer with Projector.exe as the stub, so that the package
// carries the resource library and ZentraFSCmd.dll from beside it.
#pragma once

#include <string>
#include <vector>

#include "swf_writer.h"

namespace zp::e2e {

struct PackedMovie {
  std::string fileName;  // a plain name ending in ".swf"
  swfgen::Bytes bytes;
};

// Writes the movies and a manifest listing them (each shown until it ends) into `folder`, then
// packs them into `program`. `manifestOptions` is JSON text of further manifest keys, without
// braces (for example `"log": {"show": true}`). Gives the packer's messages when it fails,
// nothing otherwise.
std::string PackMoviePresentation(const std::wstring& folder, const std::vector<PackedMovie>& movies,
                                  const std::string& manifestOptions, const std::wstring& program);

}  // namespace zp::e2e
