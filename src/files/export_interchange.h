// What the exports for other tools (sigrok session, VCD) share: the channel names, the samples
// they can take and the sample interval.
#pragma once

#include "files/data_file_format.h"

#include <cstdint>
#include <string>

namespace qs40 {

// A channel's name as the text export's columns name it: "A" and "D" when the instrument has
// no second channel of the kind. channel: 0 A1, 1 A2, 2 D1, 3 D2.
std::string interchangeChannelName(int channel, std::int32_t deviceTypeCode);

// The channels of `mask` (bits as field 18) that the frame holds.
std::int32_t presentChannels(const FrameHeader& header, std::int32_t mask);

// Sample positions from index 0 up to the first one where any channel of `mask` (both series
// with peak detection) has no sample: the tools need every channel of a capture equally long.
int completeSamples(const FrameData& frame, std::int32_t mask);

// The sample interval in femtoseconds (field 1 x 10 ns); 0 when the frame gives none.
std::int64_t sampleIntervalFs(const FrameHeader& header);

// The voltage of an analog entry: (code - zero level) x volts per division / 32.
double sampleVolts(std::int32_t code, std::int32_t zeroLevel, std::int32_t microvoltsPerDivision);

} // namespace qs40
