// The receive parser: turns the instrument's byte stream into status packets and frames. It keeps
// its state between reads, so a packet may be split across reads at any position, and it meets
// any byte stream without reading or writing outside its fixed buffers.
//
// Any 0xFF starts a new packet; a packet cut short by it is lost without a count. A status packet
// with a wrong check byte is dropped silently; a frame with a wrong check byte is counted. A
// frame whose sample length would not fit the largest frame there is (a record length above the
// instrument's maximum) is skipped up to the next 0xFF and counted as oversized.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "device/link/protocol_layout.h"

namespace qs40 {

using StatusBytes = std::array<std::uint8_t, kStatusBytes>;
using FrameTail = std::array<std::uint8_t, kTailBytes>;

// A frame that passed its check byte. The spans are valid only during the callback.
struct ReceivedFrame {
    std::uint8_t header;
    std::span<const std::uint8_t> samples; // L raw sample bytes
    const FrameTail& tail;                 // decoded 128-byte tail
};

class ReceiveHandler {
public:
    virtual ~ReceiveHandler() = default;
    virtual void onStatus(const StatusBytes& status) = 0;
    virtual void onFrame(const ReceivedFrame& frame) = 0;
    virtual void onFrameChecksumError() {}
};

struct ParserCounters {
    std::uint64_t statusPackets = 0;
    std::uint64_t statusChecksumErrors = 0;
    std::uint64_t frames = 0;
    std::uint64_t frameChecksumErrors = 0;
    std::uint64_t oversizeFrames = 0;
};

class ReceiveParser {
public:
    explicit ReceiveParser(ReceiveHandler& handler);

    // The host's record length N and paired mode, from which a frame's sample length follows.
    void setFrameGeometry(std::int32_t recordLength, bool paired);

    void feed(std::span<const std::uint8_t> bytes);
    // Forgets a partial packet; the next packet starts at the next 0xFF.
    void reset();

    const ParserCounters& counters() const { return counters_; }

private:
    enum class State : std::uint8_t {
        WaitSync,
        Header,
        StatusBody,
        StatusCheck,
        Samples,
        Tail,
        TailCheck,
    };

    void startPacket();
    void onHeader(std::uint8_t b);
    // Stores and folds bytes of the current stretch from p; returns where it stopped. Stops at a
    // 0xFF (which it leaves unread) or when the stretch is complete.
    const std::uint8_t* collect(const std::uint8_t* p, const std::uint8_t* end, std::uint8_t* dst,
                                std::size_t want);
    void finishStatus(std::uint8_t check);
    void finishFrame(std::uint8_t check);

    ReceiveHandler& handler_;
    State state_ = State::WaitSync;
    std::uint8_t check_ = 0;
    std::uint8_t header_ = 0;
    std::size_t have_ = 0;
    std::size_t sampleLength_ = 0;
    std::int32_t recordLength_ = 0;
    bool paired_ = false;
    std::unique_ptr<std::uint8_t[]> samples_; // kMaxFrameSampleLength bytes
    std::array<std::uint8_t, kTailWireBytes> tailWire_{};
    std::array<std::uint8_t, kStatusWireBytes> statusWire_{};
    FrameTail tail_{};
    StatusBytes status_{};
    ParserCounters counters_;
};

} // namespace qs40
