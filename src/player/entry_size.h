// The natural size of a presentation entry, as the window sizes itself to it.
//
// Until the movie-information reader and the picture view land this knows only Flash movies'
// stage sizes (from the movie file's header); every other entry, and any movie whose header
// cannot be read, gets the sequence's default of 400 x 300.
#pragma once

#include <string>

#include "core/document/document_model.h"
#include "core/layout/geometry.h"

namespace zp::player {

inline constexpr layout::Size kDefaultEntrySize{400, 300};

layout::Size EntrySize(const std::u16string& playedPath, MovieKind kind);

}  // namespace zp::player
