#include "display/info_readings.h"

namespace qs40 {

namespace {

// Counts are taken as doubles so that differences of corrupted fields cannot overflow.
double field(const HeaderFields& h, HeaderField f) {
    return static_cast<double>(h[f]);
}

} // namespace

double sweepSlope(const HeaderFields& h) {
    const double afterTrigger = field(h, kHdrLength) - field(h, kHdrTrigPos);
    const double n = field(h, kHdrDivider);
    if (afterTrigger == 0 || h[kHdrGenSecond] == 0 || n < 1)
        return -1;
    return field(h, kHdrGenSecond) * 0.1 / afterTrigger / (n * 10);
}

double leftEdgeTime(const HeaderFields& h, int scrollPosition) {
    return (static_cast<double>(scrollPosition) - field(h, kHdrTrigPos)) * field(h, kHdrDivider) *
           10;
}

double sweepFrequencyAt(const HeaderFields& h, double slope, double t) {
    const double start = field(h, kHdrGenFrequency) * 0.1;
    return t > 0 ? start + slope * t : start;
}

std::optional<double> sampleRate(const HeaderFields& h) {
    if (h[kHdrDivider] < 1)
        return std::nullopt;
    return 1e8 / field(h, kHdrDivider);
}

std::optional<double> divisionsCovered(const HeaderFields& h, std::int64_t timePerDivNs) {
    if (timePerDivNs <= 0)
        return std::nullopt;
    return field(h, kHdrValid) * field(h, kHdrDivider) * 10 / static_cast<double>(timePerDivNs);
}

std::optional<double> freqMeterReading(const HeaderFields& h) {
    // Without an event there is no period to count; (0 - 1) events would read as a negative
    // frequency.
    if (h[kHdrFmCount2] <= 0 || h[kHdrFmCount1] < 1)
        return std::nullopt;
    double f = (field(h, kHdrFmCount1) - 1) * 1e8 / field(h, kHdrFmCount2) *
               (1 + field(h, kHdrFmTime) * 0.2 * 1e-6);
    if (h[kHdrFmRange] == 5 || h[kHdrFmRange] == 6)
        f *= 8; // the high-frequency inputs count through a divider by 8
    return f;
}

std::optional<double> markerSpectrumFrequency(const HeaderFields& h, std::int32_t x) {
    if (h[kHdrDivider] < 1)
        return std::nullopt;
    return x * 0.002 * 1e8 / (2 * field(h, kHdrDivider));
}

double markerTime(std::int32_t x, std::int64_t timePerDivNs, double leftEdge) {
    return x * 0.02 * static_cast<double>(timePerDivNs) + leftEdge;
}

double voltsPerCode(std::int32_t voltsPerDiv) {
    return voltsPerDiv * 8.0 / 256.0;
}

} // namespace qs40
