#include "display/info_readings.h"

#include <algorithm>

namespace qs40 {

namespace {

// Counts are taken as doubles so that differences of corrupted fields cannot overflow.
double field(const HeaderFields& h, HeaderField f) {
    return static_cast<double>(h[f]);
}

bool usableDivider(const HeaderFields& h) {
    return h[kHdrDivider] >= 1 && h[kHdrDivider] <= kLargestDivider;
}

// The highest sample code.
constexpr double kTopCode = 255;

} // namespace

std::int32_t recordSize(const HeaderFields& h) {
    return std::clamp(h[kHdrLength], 0, kMaxSamples);
}

std::int32_t positionInRecord(const HeaderFields& h, HeaderField f) {
    return std::clamp(h[f], 0, recordSize(h));
}

std::optional<double> sampleInterval(const HeaderFields& h) {
    if (h[kHdrDivider] < 0 || h[kHdrDivider] > kLargestDivider)
        return std::nullopt;
    return field(h, kHdrDivider) * 10;
}

double sweepSlope(const HeaderFields& h) {
    const double afterTrigger =
        static_cast<double>(recordSize(h)) - positionInRecord(h, kHdrTrigPos);
    if (afterTrigger == 0 || h[kHdrGenSecond] == 0 || !usableDivider(h))
        return -1;
    return field(h, kHdrGenSecond) * 0.1 / afterTrigger / (field(h, kHdrDivider) * 10);
}

std::optional<double> leftEdgeTime(const HeaderFields& h, int scrollPosition) {
    const auto interval = sampleInterval(h);
    if (!interval)
        return std::nullopt;
    return (static_cast<double>(scrollPosition) - positionInRecord(h, kHdrTrigPos)) * *interval;
}

double sweepFrequencyAt(const HeaderFields& h, double slope, double t) {
    const double start = field(h, kHdrGenFrequency) * 0.1;
    return t > 0 ? start + slope * t : start;
}

std::optional<double> sampleRate(const HeaderFields& h) {
    if (!usableDivider(h))
        return std::nullopt;
    return 1e8 / field(h, kHdrDivider);
}

std::optional<double> divisionsCovered(const HeaderFields& h, std::int64_t timePerDivNs) {
    const auto interval = sampleInterval(h);
    if (timePerDivNs <= 0 || !interval)
        return std::nullopt;
    return positionInRecord(h, kHdrValid) * *interval / static_cast<double>(timePerDivNs);
}

std::optional<double> freqMeterReading(const HeaderFields& h) {
    // Without an event there is no period to count; (0 - 1) events would read as a negative
    // frequency.
    if (h[kHdrFmCount2] <= 0 || h[kHdrFmCount1] < 1)
        return std::nullopt;
    const double correction = 1 + field(h, kHdrFmTime) * 0.2 * 1e-6;
    if (correction <= 0)
        return std::nullopt; // a calibration value no calibration gives
    double f = (field(h, kHdrFmCount1) - 1) * 1e8 / field(h, kHdrFmCount2) * correction;
    if (h[kHdrFmRange] == 5 || h[kHdrFmRange] == 6)
        f *= 8; // the high-frequency inputs count through a divider by 8
    return f;
}

std::optional<double> markerSpectrumFrequency(const HeaderFields& h, std::int32_t x) {
    if (!usableDivider(h))
        return std::nullopt;
    return x * 0.002 * 1e8 / (2 * field(h, kHdrDivider));
}

double markerTime(std::int32_t x, std::int64_t timePerDivNs, double leftEdge) {
    return x * 0.02 * static_cast<double>(timePerDivNs) + leftEdge;
}

double voltsPerCode(std::int32_t voltsPerDiv) {
    return voltsPerDiv * 8.0 / 256.0;
}

std::optional<double> meanLevel(const HeaderFields& h, HeaderField levelSum) {
    const std::int32_t valid = positionInRecord(h, kHdrValid);
    if (valid < 1)
        return std::nullopt;
    const double mean = field(h, levelSum) / valid;
    if (mean < 0 || mean > kTopCode)
        return std::nullopt;
    return mean;
}

} // namespace qs40
