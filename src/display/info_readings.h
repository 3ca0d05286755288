// The numbers behind the info text: times, frequencies and voltages computed from the frame
// header, the acquisition parameters and the marker positions. Frames reach this code from
// files too, so every reading that would divide by zero or by a meaningless count says so by
// returning no value; the info text then prints "...". Positions are taken within the record
// the header describes, and a divider that no instrument is given yields no time, so that a
// damaged header never reads as a time of thousands of seconds.
#pragma once

#include "scope/frame.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qs40 {

using HeaderFields = std::array<std::int32_t, kHeaderFields>;

// The largest sample divider the parameter computation gives: 20 s per division over 5 samples
// per division (2000 peak-detect samples over 200 divisions).
inline constexpr std::int32_t kLargestDivider = 400'000'000;

// The record a header describes, held within the sample arrays: field 6 limited to 0..40000.
std::int32_t recordSize(const HeaderFields& h);
// A position field (trigger position, valid samples, ring length) limited to the record.
std::int32_t positionInRecord(const HeaderFields& h, HeaderField f);

// Sample interval in ns (divider x 10); 0 for a header without a divider (no frame yet). None
// for a divider no instrument is given: negative or above kLargestDivider.
std::optional<double> sampleInterval(const HeaderFields& h);

// Generator sweep slope in Hz per ns: the sweep runs from the start frequency (field 20) to
// start + span (field 19) over the samples after the trigger. -1 when the frame has no sweep
// or no samples after the trigger, or no usable sample divider.
double sweepSlope(const HeaderFields& h);

// Time of the plot's left edge after the trigger, in ns; none without a usable divider.
std::optional<double> leftEdgeTime(const HeaderFields& h, int scrollPosition);

// Generator frequency (Hz) at time t after the trigger for the slope p: the start frequency
// before the trigger, rising by p afterwards.
double sweepFrequencyAt(const HeaderFields& h, double slope, double t);

// Sample rate in Hz (100 MHz / N); none for a divider below 1 or above kLargestDivider.
std::optional<double> sampleRate(const HeaderFields& h);

// Divisions covered by the valid samples at the given time per division (ns); none when the
// time per division is not positive or the divider is unusable.
std::optional<double> divisionsCovered(const HeaderFields& h, std::int64_t timePerDivNs);

// The frequency meter's reading in Hz: (events - 1) x 1e8 / gate periods, corrected by the
// calibration (0.2 ppm units) and multiplied by 8 on the high-frequency inputs (sources 5, 6).
// None without a gate count or without an event, or with a correction that leaves nothing.
std::optional<double> freqMeterReading(const HeaderFields& h);

// Spectrum frequency (Hz) of marker position x (0..500 across the plot); none without a
// usable sample divider.
std::optional<double> markerSpectrumFrequency(const HeaderFields& h, std::int32_t x);

// Oscillogram time (ns after the trigger) of marker position x.
double markerTime(std::int32_t x, std::int64_t timePerDivNs, double leftEdge);

// Volts (microvolts) per sample code of a channel at capture: volts per division x 8 / 256.
double voltsPerCode(std::int32_t voltsPerDiv);

// The mean sample code of a channel over the valid samples (level sum / valid samples); none
// without valid samples or when the sum is not one of codes 0..255.
std::optional<double> meanLevel(const HeaderFields& h, HeaderField levelSum);

} // namespace qs40
