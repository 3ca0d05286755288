// The background oscillogram's own trigger and zero levels. The background frame set carries
// them; the parameter computation rescales the trigger levels when a channel's scale changes.
#pragma once

#include <cstdint>

namespace qs40 {

struct BackgroundLevels {
    double Lev_A1 = 191.0; // sample code units
    double Lev_A2 = 63.0;
    std::int32_t A1_Zero = 191; // sample codes
    std::int32_t A2_Zero = 63;
};

} // namespace qs40
