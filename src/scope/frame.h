// One frame as the program holds it: the 41-field frame header and eight sample series of
// 40000 entries (first and second series of A1, A2, D1, D2). Two such sets exist, the current
// frame and the background oscillogram.
#pragma once

#include "scope/background_levels.h"

#include <array>
#include <climits>
#include <cstdint>
#include <memory>
#include <mutex>

namespace qs40 {

// An entry that holds no sample.
inline constexpr std::int32_t kNoSample = INT32_MAX;
inline constexpr int kMaxSamples = 40000;
inline constexpr int kHeaderFields = 41;

// Frame header fields by index.
enum HeaderField : int {
    kHdrVariant = 0,       // instrument variant code of the frame
    kHdrDivider = 1,       // sample divider (sample interval = divider x 10 ns)
    kHdrVoltsDivA1 = 2,    // microvolts, probe factor included
    kHdrZeroA1 = 3,        // A1_Zero at capture
    kHdrVoltsDivA2 = 4,
    kHdrZeroA2 = 5,
    kHdrLength = 6,        // L: sample positions in the frame; 0 means no frame
    kHdrTrigPos = 7,       // pre-trigger length
    kHdrValid = 8,         // valid sample positions
    kHdrRing = 9,          // ring length of a roll frame
    kHdrRoll = 10,         // roll frame
    kHdrPairs = 11,        // peak-detect pairs
    kHdrTrigLevel = 12,    // trigger level 0..255 of the triggering analog channel
    kHdrTrigSource = 13,   // FrameTrigSource
    kHdrFineA1 = 14,       // fine trigger offsets in tenths of a sample: A1, A2, D1, D2
    kHdrFineA2 = 15,
    kHdrFineD1 = 16,
    kHdrFineD2 = 17,
    kHdrChannels = 18,     // kPresentA1 .. kPresentD2
    kHdrGenSecond = 19,    // generator sweep span at capture
    kHdrGenFrequency = 20, // generator frequency at capture
    kHdrFmRange = 21,      // frequency-meter range byte
    kHdrFmCount1 = 22,
    kHdrFmCount2 = 23,
    kHdrFmTime = 24,       // frequency-meter calibration value taken with the counts
    kHdrLevelSumA1 = 25,
    kHdrLevelSumA2 = 26,
    kHdrPeakToPeakA1 = 27, // sample codes, or -1
    kHdrPeakToPeakA2 = 28,
    kHdrFrameCounter = 39, // decoded-frame counter
};

// Field 13: the channel a frame was triggered on.
enum FrameTrigSource : std::int32_t {
    kTrigSourceNone = 0, // free running, or no trigger reference in the frame
    kTrigSourceA1 = 1,
    kTrigSourceA2 = 2,
    kTrigSourceD1 = 3,
    kTrigSourceD2 = 4,
};

inline constexpr bool analogTrigSource(std::int32_t source) {
    return source == kTrigSourceA1 || source == kTrigSourceA2;
}
inline constexpr bool digitalTrigSource(std::int32_t source) {
    return source == kTrigSourceD1 || source == kTrigSourceD2;
}

// Field 18: the channels present in the frame.
inline constexpr std::int32_t kPresentA1 = 0x01;
inline constexpr std::int32_t kPresentA2 = 0x02;
inline constexpr std::int32_t kPresentD1 = 0x04;
inline constexpr std::int32_t kPresentD2 = 0x08;

// The eight series in their order.
enum SeriesIndex : int {
    kA1First = 0, kA1Second, kA2First, kA2Second, kD1First, kD1Second, kD2First, kD2Second,
    kSeriesCount
};

struct FrameData {
    std::array<std::int32_t, kHeaderFields> header{};
    std::array<std::array<std::int32_t, kMaxSamples>, kSeriesCount> series;

    FrameData() { reset(); }
    // Fills every series with the no-sample value and zeroes the header.
    void reset() {
        header.fill(0);
        for (auto& s : series)
            s.fill(kNoSample);
    }
};

// The current frame and the background oscillogram. The decoder writes the current frame under
// `mutex`; GUI code takes the same mutex when it reads or writes the sets outside the
// synchronised callback (file save and open, background swap, calibrations).
struct FrameSets {
    std::mutex mutex;
    std::unique_ptr<FrameData> current = std::make_unique<FrameData>();
    std::unique_ptr<FrameData> background = std::make_unique<FrameData>();
    BackgroundLevels backgroundLevels; // the background's own trigger and zero levels
    bool swapped = false;              // toggled by every main/background swap
};

} // namespace qs40
