// The analog input stage: a gain range chosen by the range code of the input byte (32 codes a
// division; the probe is the host's business) and an offset DAC that places the zero level. The
// instrument has its own "true" zero-level coefficients, so that a zero-level calibration of the
// host can be checked against them.
#pragma once

#include <array>
#include <cstdint>

namespace qs40::sim {

// Zero level z (sample code) reached by offset DAC code c at volts per division V (microvolts):
// c = (16 z - p1 - x sh) x 1680 / (p2 - p1) + 1360, with x = 50000 / V.
struct ZeroCoefficients {
    std::int32_t p1, p2, sh;
};

// Sample codes for one channel at fixed settings.
struct ChannelTransfer {
    double zero; // code of 0 V
    double codesPerVolt;
    // 0..254: the instrument never sends 0xFF as a sample.
    std::uint8_t code(double volts) const;
};

class AnalogFrontEnd {
public:
    explicit AnalogFrontEnd(std::array<ZeroCoefficients, 2> trueCoefficients);

    // Volts per division of a range code (bits 0..2 of the input byte).
    static double voltsPerDivision(std::uint8_t rangeCode);
    // Bit 4 of the input byte: the input passes only what changes.
    static bool acCoupled(std::uint8_t inputByte) { return (inputByte & 0x10) != 0; }

    ChannelTransfer transfer(int channel, std::uint8_t inputByte, std::uint16_t offsetCode) const;

private:
    std::array<ZeroCoefficients, 2> coefficients_;
};

} // namespace qs40::sim
