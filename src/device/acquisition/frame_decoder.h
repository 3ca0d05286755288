// The frame decoder: turns an accepted frame packet (sample bytes and decoded tail) into the
// current frame set: unpacks the samples, places them by the instrument's circular-record
// pointers, computes the level statistics and the fine trigger offset and fills the header.
//
// It trusts nothing in the tail: a frame whose lengths or pointers do not describe the record
// that was asked for (a length other than the record length, a pointer the frame uses outside
// it, fewer sample bytes than the presence bits need) is rejected whole and leaves the current
// set untouched.
//
// Works on fixed arrays allocated once: nothing is allocated per frame.
#pragma once

#include <cstdint>
#include <memory>

#include "device/acquisition/params_publisher.h"
#include "device/link/protocol_packet.h"
#include "device/link/protocol_parser.h"
#include "device/acquisition/recorder_handover.h"
#include "scope/frame.h"

namespace qs40 {

// What the decoder reads besides the frame.
struct DecodeInputs {
    AcquisitionSnapshot snapshot;  // the current parameters and front-panel levels
    std::int32_t recordLength = 0; // N: the record the frame's bytes were cut with
    TdcConstants tdc{};            // from the status packet: D1 rise, D1 fall, D2 rise, D2 fall
    // Frequency meter as the status packets reported it while running.
    std::uint8_t freqRange = 0;
    std::uint32_t freqCount1 = 0;
    std::uint32_t freqCount2 = 0;
    std::int32_t freqTime = 0;
};

enum class DecodeResult : std::uint8_t {
    Decoded,
    BadRecordLength, // N outside 1..40000
    BadLength,       // the tail's length differs from the record asked for
    BadPointer,      // a write or trigger pointer the frame uses lies outside it
    ShortSamples,    // fewer sample bytes than the presence bits need
};

// Header values the caller needs after a decode.
struct DecodedFrame {
    std::int32_t length = 0;   // field 6
    std::int32_t valid = 0;    // field 8
    std::uint8_t tdcCount = 0; // tail byte 46 bits 0..4
};

class FrameDecoder {
public:
    FrameDecoder();

    // The recorder hand-over, and how to write its pending bytes early (see RecorderHandover).
    void setRecorder(RecorderHandover* recorder, RecorderHandover::Flush flush = {}) {
        recorder_ = recorder;
        flush_ = std::move(flush);
    }

    // Decodes into sets.current, under sets.mutex (the recorder's flush runs before it is taken).
    DecodeResult decode(const ReceivedFrame& frame, const DecodeInputs& in, FrameSets& sets,
                        DecodedFrame* out = nullptr);

private:
    struct Layout;
    static DecodeResult readLayout(const FrameTail& tail, std::int32_t n, bool scrollDisplay,
                                   Layout& f);
    void unpack(const ReceivedFrame& frame, const Layout& f, std::int32_t n);
    void place(const Layout& f, FrameData& data) const;

    static constexpr int kChannels = 4;
    std::unique_ptr<std::int32_t[]> work_; // four arrays of kMaxSamples entries
    std::int32_t* workOf(int channel) const { return work_.get() + channel * kMaxSamples; }

    RecorderHandover* recorder_ = nullptr;
    RecorderHandover::Flush flush_;
};

} // namespace qs40
