#include "scope/offset_code.h"

#include "scope/arith.h"

namespace qs40 {

std::int32_t offsetCode(const ScopeState& state, int channel, std::int32_t voltsDivUv) {
    const CalibrateSection& c = state.Calibrate;
    double p1 = 0, p2 = 0, sh = 0, zero = 0;
    if (channel == 1) {
        p1 = c.Z_A1P1, p2 = c.Z_A1P2, sh = c.Z_A1SH, zero = state.Scope.A1_Zero;
    } else if (channel == 2) {
        p1 = c.Z_A2P1, p2 = c.Z_A2P2, sh = c.Z_A2SH, zero = state.Scope.A2_Zero;
    } else {
        return kNeutralOffsetCode;
    }
    if (p1 == p2 || voltsDivUv <= 0)
        return kNeutralOffsetCode;
    // Doubles throughout: calibration values read from a file may be anything, and the
    // products must not overflow.
    const double x = 50000.0 / voltsDivUv;
    return roundToInt32((zero * 16.0 - p1 - x * sh) * 1680.0 / (p2 - p1) + 1360.0);
}

} // namespace qs40
