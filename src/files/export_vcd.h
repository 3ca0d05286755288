// The VCD export: the logic channels of the current frame as a Value Change Dump, which
// waveform viewers and sigrok read.
#pragma once

#include "files/export_common.h"

#include <cstdint>
#include <string>

namespace qs40 {

// True when the frame has samples, a logic channel and a sample interval.
bool hasVcdExportData(const FrameHeader& header);

// A VCD time unit: `multiple` (1, 10 or 100) of 10^-`exponent` seconds, exponent one of
// 0, 3, 6, 9, 12, 15.
struct VcdTimescale {
    int multiple = 1;
    int exponent = 9;
    std::int64_t ticksPerSample = 1; // ticks of the unit from one sample to the next
};

// The coarsest unit the format allows in which a sample interval (femtoseconds, above 0) is a
// whole number of ticks: the interval itself when it is 1, 10 or 100 of a unit.
VcdTimescale vcdTimescaleFor(std::int64_t intervalFs);

// D1 and D2 (named as the text export names them) from index 0 up to the first missing
// sample, each sample at its own time: with peak detection the second of a pair follows the
// first half a sample interval later, so the bits are those of the raw export in its order.
std::string buildVcd(const FrameData& frame, std::int32_t deviceTypeCode);

// File, Export, "VCD...".
ExportResult exportVcd(ExportContext& context);

} // namespace qs40
