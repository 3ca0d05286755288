#include "files/export_interchange.h"

#include "scope/scope_state.h"

namespace qs40 {
namespace {

bool hasSample(std::int32_t entry) {
    return entry >= 0 && entry <= 254;
}

} // namespace

std::string interchangeChannelName(int channel, std::int32_t deviceTypeCode) {
    switch (channel) {
    case 0:
        return hasCapability(deviceTypeCode, kCapA2) ? "A1" : "A";
    case 1:
        return "A2";
    case 2:
        return hasCapability(deviceTypeCode, kCapD2) ? "D1" : "D";
    default:
        return "D2";
    }
}

std::int32_t presentChannels(const FrameHeader& header, std::int32_t mask) {
    return header[kHdrChannels] & mask & 0x0F;
}

int completeSamples(const FrameData& frame, std::int32_t mask) {
    const int count = storableSamples(frame.header);
    const bool pairs = fileHasPairs(frame.header);
    for (int i = 0; i < count; ++i)
        for (int c = 0; c < kFileChannels; ++c) {
            if ((mask >> c & 1) == 0)
                continue;
            if (!hasSample(frame.series[2 * c][i]) ||
                (pairs && !hasSample(frame.series[2 * c + 1][i])))
                return i;
        }
    return count;
}

std::int64_t sampleIntervalFs(const FrameHeader& header) {
    return header[kHdrDivider] > 0 ? std::int64_t{header[kHdrDivider]} * 10'000'000 : 0;
}

double sampleVolts(std::int32_t code, std::int32_t zeroLevel, std::int32_t microvoltsPerDivision) {
    // In doubles: a loaded file's zero level can be any 32-bit value.
    return (static_cast<double>(code) - zeroLevel) * (microvoltsPerDivision / 32.0) * 1e-6;
}

} // namespace qs40
