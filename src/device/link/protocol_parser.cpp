#include "device/link/protocol_parser.h"

#include <algorithm>
#include <cstring>

#include "device/link/protocol_codec.h"

namespace qs40 {

ReceiveParser::ReceiveParser(ReceiveHandler& handler)
    : handler_(handler), samples_(new std::uint8_t[kMaxFrameSampleLength]) {}

void ReceiveParser::setFrameGeometry(std::int32_t recordLength, bool paired) {
    recordLength_ = recordLength;
    paired_ = paired;
}

void ReceiveParser::reset() {
    state_ = State::WaitSync;
    have_ = 0;
    check_ = 0;
}

void ReceiveParser::startPacket() {
    state_ = State::Header;
    have_ = 0;
    check_ = 0;
}

void ReceiveParser::onHeader(std::uint8_t b) {
    check_ ^= b;
    have_ = 0;
    if (b & kFrameHeaderBit) {
        const std::size_t length = frameSampleLength(b, recordLength_, paired_);
        if (length > kMaxFrameSampleLength) {
            ++counters_.oversizeFrames;
            state_ = State::WaitSync;
            return;
        }
        header_ = b;
        sampleLength_ = length;
        state_ = length > 0 ? State::Samples : State::Tail;
    } else if (b == kStatusType) {
        state_ = State::StatusBody;
    } else {
        state_ = State::WaitSync;
    }
}

const std::uint8_t* ReceiveParser::collect(const std::uint8_t* p, const std::uint8_t* end,
                                           std::uint8_t* dst, std::size_t want) {
    const auto avail = static_cast<std::size_t>(end - p);
    std::size_t n = std::min(want - have_, avail);
    if (const void* sync = std::memchr(p, kSyncByte, n))
        n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(sync) - p);
    std::memcpy(dst + have_, p, n);
    check_ = xorBytes({dst + have_, n}, check_);
    have_ += n;
    return p + n;
}

void ReceiveParser::finishStatus(std::uint8_t check) {
    state_ = State::WaitSync;
    if (check != wireCheckByte(check_)) {
        ++counters_.statusChecksumErrors;
        return;
    }
    nibbleDecode(statusWire_, status_.data());
    ++counters_.statusPackets;
    handler_.onStatus(status_);
}

void ReceiveParser::finishFrame(std::uint8_t check) {
    state_ = State::WaitSync;
    if (check != wireCheckByte(check_)) {
        ++counters_.frameChecksumErrors;
        handler_.onFrameChecksumError();
        return;
    }
    nibbleDecode(tailWire_, tail_.data());
    ++counters_.frames;
    handler_.onFrame(ReceivedFrame{header_, {samples_.get(), sampleLength_}, tail_});
}

void ReceiveParser::feed(std::span<const std::uint8_t> bytes) {
    const std::uint8_t* p = bytes.data();
    const std::uint8_t* const end = p + bytes.size();
    while (p < end) {
        switch (state_) {
        case State::WaitSync: {
            const void* sync = std::memchr(p, kSyncByte, static_cast<std::size_t>(end - p));
            if (!sync)
                return;
            p = static_cast<const std::uint8_t*>(sync) + 1;
            startPacket();
            break;
        }
        case State::Header: {
            const std::uint8_t b = *p++;
            if (b == kSyncByte)
                startPacket();
            else
                onHeader(b);
            break;
        }
        case State::StatusBody:
        case State::Samples:
        case State::Tail: {
            std::uint8_t* dst = state_ == State::StatusBody ? statusWire_.data()
                                : state_ == State::Samples  ? samples_.get()
                                                            : tailWire_.data();
            const std::size_t want = state_ == State::StatusBody ? kStatusWireBytes
                                     : state_ == State::Samples  ? sampleLength_
                                                                 : kTailWireBytes;
            p = collect(p, end, dst, want);
            if (have_ == want) {
                have_ = 0;
                state_ = state_ == State::StatusBody ? State::StatusCheck
                         : state_ == State::Samples  ? State::Tail
                                                     : State::TailCheck;
            } else if (p < end) { // stopped at a 0xFF: the packet is cut short
                ++p;
                startPacket();
            }
            break;
        }
        case State::StatusCheck:
        case State::TailCheck: {
            const std::uint8_t b = *p++;
            if (b == kSyncByte)
                startPacket();
            else if (state_ == State::StatusCheck)
                finishStatus(b);
            else
                finishFrame(b);
            break;
        }
        }
    }
}

} // namespace qs40
