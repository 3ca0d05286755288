// Helpers of the data-file and export tests: the scratch folder and a frame filled with a
// recognisable pattern.
#pragma once

#include "scope/frame.h"
#include "temp_folder.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

namespace qs40::testing {

// A frame of `count` samples on the channels of `mask`, with sample codes that differ by
// channel and index (and by series with pairs); the rest holds no sample, as after a decode.
inline std::unique_ptr<FrameData> patternFrame(int mask, int count, bool pairs) {
    auto f = std::make_unique<FrameData>();
    f->header[kHdrVariant] = 28;
    f->header[kHdrDivider] = 1;
    f->header[kHdrVoltsDivA1] = 1000000;
    f->header[kHdrZeroA1] = 191;
    f->header[kHdrVoltsDivA2] = 500000;
    f->header[kHdrZeroA2] = 63;
    f->header[kHdrLength] = count;
    f->header[kHdrValid] = count;
    f->header[kHdrPairs] = pairs ? 1 : 0;
    f->header[kHdrChannels] = mask;
    f->header[kHdrFrameCounter] = 7;
    for (int c = 0; c < 4; ++c) {
        if ((mask >> c & 1) == 0)
            continue;
        for (int i = 0; i < count; ++i) {
            const std::int32_t first = c >= 2 ? (i + c) % 2 : (i * 7 + c * 31) % 255;
            const std::int32_t second = pairs && c < 2 ? (first + 3) % 255 : first;
            f->series[2 * c][i] = first;
            f->series[2 * c + 1][i] = second;
        }
    }
    return f;
}

} // namespace qs40::testing
