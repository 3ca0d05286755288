// What the recorder tells about a recording: the information lines built from the last frame,
// the byte count with its digit grouping, the elapsed time and the size label.
#pragma once

#include "scope/frame.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qs40 {

// What the information lines need of the last frame.
struct RecorderFrameFacts {
    std::int32_t sampleStep = 0; // sample interval in 10 ns; 0: no frame yet
    std::int32_t voltsDivA1 = 0; // microvolts
    std::int32_t zeroA1 = 0;     // sample code
    bool peakDetection = false;  // two bytes per sample
};

RecorderFrameFacts recorderFactsOf(const std::array<std::int32_t, kHeaderFields>& header);

// The information lines, each without its line end; the last one is empty. Without a frame
// (sample step 0) only "Not ready." and the empty line.
std::vector<std::string> recorderInfoLines(const RecorderFrameFacts& facts, bool russian,
                                           std::string_view decimalSeparator = ".");

// 1234567 reads "1 234 567", 1234 "1 234", 123 "123": a blank before the last three digits
// above three digits and before the last six above six (larger counts keep the rest together).
std::string groupedByteCount(std::uint64_t bytes);

// Whole days, two blanks and the time of day: "0  01:02:03". Negative spans count as zero.
std::string elapsedText(std::chrono::system_clock::duration elapsed);

// The size label: "Size = ..." until something was recorded, then the grouped count and the
// elapsed time.
std::string recorderSizeLabel(bool recorded, std::uint64_t bytes,
                              std::chrono::system_clock::duration elapsed, bool russian);

// A date and time in local time, "2026-12-10 17:45:03".
std::string localDateTimeText(std::chrono::system_clock::time_point t);

} // namespace qs40
