#include "core/layout/player_options.h"

namespace zp::layout {

int HostQualityCode(int quality) {
  switch (quality) {
    case 0: return 2;
    case 1: return 1;
    case 2: return 0;
    default: return 3;
  }
}

}  // namespace zp::layout
