#include "core/layout/player_options.h"

namespace zp::layout {

int HostQualityCode(int quality) {
  switch (quality) {
    case 0: return kHostQualityLow;
    case 1: return kHostQualityMedium;
    case 2: return kHostQualityHigh;
    default: return kHostQualityUnchanged;
  }
}

}  // namespace zp::layout
