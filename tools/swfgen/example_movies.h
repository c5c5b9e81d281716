// The example presentation's movies: a few seconds each at 12 frames per second.
#pragma once

#include "swf_writer.h"

namespace zp::swfgen {

// Coloured shapes that move and change from frame to frame; plays once and loops.
Bytes MakeIntroMovie();
// Like the intro, and it sends the harmless command "trace" with a text on its first frame
// and again on its last frame.
Bytes MakeMainMovie();

}  // namespace zp::swfgen
