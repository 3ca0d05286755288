// The host's view of what the simulated instrument sends: its bytes run through the host's own
// receive parser, with every status and frame kept for inspection.
#pragma once

#include <algorithm>
#include <vector>

#include "device/link/protocol_codec.h"
#include "device/link/protocol_packet.h"
#include "device/link/protocol_parser.h"
#include "device/link/protocol_status.h"
#include "sim/instrument.h"

namespace qs40::sim::test {

struct CapturedFrame {
    std::uint8_t header;
    std::vector<std::uint8_t> samples;
    FrameTail tail;
    std::uint16_t tail16(std::size_t at) const { return readLe16(&tail[at]); }
};

struct HostCapture : ReceiveHandler {
    std::vector<StatusReport> statuses;
    std::vector<CapturedFrame> frames;
    ReceiveParser parser{*this};

    void onStatus(const StatusBytes& s) override { statuses.push_back(decodeStatus(s)); }
    void onFrame(const ReceivedFrame& f) override {
        frames.push_back({f.header, {f.samples.begin(), f.samples.end()}, f.tail});
    }
    // Takes everything readable from the instrument at `now`.
    void drain(Instrument& instrument, SimTime now) {
        std::vector<std::uint8_t> buf(instrument.readable(now));
        buf.resize(instrument.take(buf.data(), buf.size(), now));
        parser.feed(buf);
    }
};

// The host's bytes for a command: the marker, then the packet. Sized once and filled: GCC 12 at
// -O3 takes an insert after a braced element for a write beyond it (-Warray-bounds).
inline std::vector<std::uint8_t> command(const std::vector<std::uint8_t>& packet) {
    std::vector<std::uint8_t> out(1 + packet.size());
    out[0] = kCommandMarker;
    std::copy(packet.begin(), packet.end(), out.begin() + 1);
    return out;
}

// The FPGA configuration command followed by a whole image of `size` bytes.
inline std::vector<std::uint8_t> fpgaLoad(std::size_t size) {
    std::vector<std::uint8_t> out = command(fpgaConfigurationCommand());
    const std::vector<std::uint8_t> image(size, 0xA7);
    const auto wire = nibbleEncode(image);
    out.insert(out.end(), wire.begin(), wire.end());
    return out;
}

// Parameters for a running acquisition of all four channels, N entries, free running.
inline AcquisitionParams runParams(std::int32_t n = 1000, std::uint8_t frameIntervalMs = 10) {
    AcquisitionParams p;
    p.recordLength = n;
    p.divider = 1;
    p.preTrigger = n / 10;
    p.postTrigger = n - n / 10;
    p.runBits = 0x8F;
    p.thresholds = {120, 136, 120, 136};
    p.triggerCount = 0;
    p.freqMeterInput = 1;
    p.inputA1 = 0x07 | 0x08;
    p.inputA2 = 0x07;
    p.offsetA1 = 2048;
    p.offsetA2 = 2048;
    p.frameIntervalMs = frameIntervalMs;
    p.genMode = 5;
    return p;
}

} // namespace qs40::sim::test
