// The instrument's reciprocal frequency meter: over a gate of about 0.1 s (at least one whole
// input period) it counts the input periods and the ticks of its 100 MHz reference during
// them. Count 1 is the periods plus one, count 2 the reference ticks, so the host reads
// (count 1 - 1) x 10^8 / count 2. The high-frequency inputs of D1 and D2 (meter inputs 5 and 6)
// divide by eight before counting; the range byte names the input, so the host knows to
// multiply. A reference that runs fast by some ppm counts as many ppm more ticks.
#pragma once

#include <cstdint>

namespace qs40::sim {

struct FreqMeterReading {
    std::uint8_t range = 0;
    std::uint32_t count1 = 0;
    std::uint32_t count2 = 0; // 0: nothing to count
};

// `input` 1..6 as block B selects it, `hz` the frequency at that input.
FreqMeterReading readFrequencyMeter(std::uint8_t input, double hz, double clockErrorPpm);

} // namespace qs40::sim
