// What the frame decoder tells the GUI thread besides the frame itself: flags set by the
// decoder and cleared by their consumer, and the running per-second counts that the watchdog
// publishes and zeroes. All single values, so atomics suffice.
#pragma once

#include <atomic>
#include <cstdint>

namespace qs40 {

struct AcquisitionFlags {
    std::atomic<bool> frameArrived{false};  // cleared by the calibration procedures
    std::atomic<bool> frameDrawn{false};    // cleared by the synchronised callback
    std::atomic<bool> frameActivity{false}; // cleared by the activity indicator
    // A single shot ended: the GUI puts SpeedButton_Sngl up and clears running and single in
    // its own state (the decoder has already stopped the acquisition).
    std::atomic<bool> singleEnded{false};
    // A frame replaced the current set: the current data-file name no longer describes it.
    std::atomic<bool> currentFileStale{false};
    // Bits 0..4 of the last decoded frame's tail byte 46 (the TDC calibration reads it).
    std::atomic<std::uint8_t> lastTdcCount{0};

    // Running counts of the current second.
    std::atomic<std::uint32_t> framesDecoded{0};
    std::atomic<std::uint32_t> framesDrawn{0};

    // FPGA loads begun: a load follows every open and every recovery.
    std::atomic<std::uint32_t> fpgaLoads{0};

    // Frames whose tail did not describe a frame the arrays can hold; dropped (never reset).
    std::atomic<std::uint64_t> framesRejected{0};
};

} // namespace qs40
