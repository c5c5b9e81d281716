#include "player/entry_size.h"

#include "core/swf/swf_file.h"
#include "platform/platform.h"

namespace zp::player {

layout::Size EntrySize(const std::u16string& playedPath, MovieKind kind) {
  if (kind != MovieKind::kFlash) return kDefaultEntrySize;
  platform::MappedFile file;
  if (file.Map(playedPath) <= 8) return kDefaultEntrySize;
  auto movie = swf::File::Parse(file.bytes());
  if (!movie) return kDefaultEntrySize;
  // Twips to pixels, toward zero.
  const int width = movie->header().stage.Width() / 20;
  const int height = movie->header().stage.Height() / 20;
  if (width <= 0 || height <= 0) return kDefaultEntrySize;
  return {width, height};
}

}  // namespace zp::player
