// The frequency-meter correction Time (0.2 ppm units, -250..250): the reading's factor, and the
// value that makes readings of a known frequency match it.
#pragma once

#include "scope/frame.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qs40 {

inline constexpr std::int32_t kTimeLimit = 250;
inline constexpr double kTimeStepPpm = 0.2;

// The meter's reading without any correction: (count 1 - 1) x 10^8 / count 2, times 8 on the
// high-frequency inputs (range 5, 6); none while count 2 is 0 or less or count 1 below 1.
std::optional<double> uncorrectedFrequency(std::int32_t range, std::int32_t count1,
                                           std::int32_t count2);

// The correction that brings a reading of `measuredHz` (taken without correction) to
// `referenceHz`, rounded and limited; none when either is not a positive frequency.
std::optional<std::int32_t> timeForReference(double referenceHz, double measuredHz);
// A correction given in ppm, rounded to the 0.2 ppm step and limited.
std::int32_t timeForPpm(double ppm);

// Averages the uncorrected readings carried by frames (fields 21 to 23).
class FreqMeterAverage {
public:
    // True when the frame carried a reading.
    bool take(const std::array<std::int32_t, kHeaderFields>& header);
    int count() const { return count_; }
    std::optional<double> mean() const;

private:
    int count_ = 0;
    double sum_ = 0;
};

} // namespace qs40
