#include "sim/analog_front_end.h"

#include <algorithm>
#include <cmath>

namespace qs40::sim {

namespace {
constexpr double kCodesPerDivision = 32.0;
} // namespace

std::uint8_t ChannelTransfer::code(double volts) const {
    const double c = std::round(zero + volts * codesPerVolt);
    return static_cast<std::uint8_t>(std::clamp(c, 0.0, 254.0));
}

AnalogFrontEnd::AnalogFrontEnd(std::array<ZeroCoefficients, 2> trueCoefficients)
    : coefficients_(trueCoefficients) {}

double AnalogFrontEnd::voltsPerDivision(std::uint8_t rangeCode) {
    switch (rangeCode & 0x07) {
    case 0:
        return 0.05;
    case 1:
        return 0.1;
    case 3:
        return 2.0;
    case 4:
        return 0.2;
    case 6:
        return 0.5;
    case 7:
        return 1.0;
    default: // codes the host never sends: the widest range protects the input
        return 2.0;
    }
}

ChannelTransfer AnalogFrontEnd::transfer(int channel, std::uint8_t inputByte,
                                         std::uint16_t offsetCode) const {
    const ZeroCoefficients& k = coefficients_[channel & 1];
    const double vdiv = voltsPerDivision(inputByte);
    const double x = 50000.0 / (vdiv * 1e6);
    double zero = 128.0;
    if (k.p2 != k.p1) {
        zero = ((static_cast<double>(offsetCode) - 1360.0) * (k.p2 - k.p1) / 1680.0 + k.p1 +
                x * k.sh) /
               16.0;
    }
    return {zero, kCodesPerDivision / vdiv};
}

} // namespace qs40::sim
