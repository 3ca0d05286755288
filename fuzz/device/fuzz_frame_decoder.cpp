// Feeds arbitrary tails and sample bytes to the frame decoder. The first eight bytes choose the
// record length (also beyond the arrays), the scroll display flag, the divider, the trigger
// count, the thresholds and the TDC constants; the next 128 are the tail; the rest are the
// sample bytes. A decoded frame must describe itself consistently: its lengths within the
// arrays, no sample beyond its valid positions, analog codes 0..255 and digital bits 0 or 1.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "device/acquisition/frame_decoder.h"
#include "device/acquisition/recorder_handover.h"

namespace {

struct Target {
    qs40::FrameDecoder decoder;
    qs40::FrameSets sets;
    qs40::RecorderHandover recorder;
    Target() {
        recorder.setOn(true);
        decoder.setRecorder(&recorder, [this] {
            recorder.takePending([](std::span<const std::uint8_t>) {});
            return true;
        });
    }
};

void check(const qs40::FrameData& f) {
    const auto& h = f.header;
    const std::int32_t length = h[qs40::kHdrLength];
    const std::int32_t valid = h[qs40::kHdrValid];
    if (length <= 0 || length > qs40::kMaxSamples || valid < 0 || valid > length)
        std::abort();
    if (h[qs40::kHdrTrigPos] < 0 || h[qs40::kHdrTrigPos] > length)
        std::abort();
    if (h[qs40::kHdrTrigLevel] < 0 || h[qs40::kHdrTrigLevel] > 255)
        std::abort();
    for (int s = 0; s < qs40::kSeriesCount; ++s) {
        const auto& series = f.series[static_cast<std::size_t>(s)];
        const std::int32_t top = s < qs40::kD1First ? 255 : 1;
        for (std::int32_t i = 0; i < qs40::kMaxSamples; ++i) {
            const std::int32_t v = series[static_cast<std::size_t>(i)];
            if (v == qs40::kNoSample)
                continue;
            if (i >= valid || v < 0 || v > top)
                std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kSetup = 8;
    if (size < kSetup + qs40::kTailBytes)
        return 0;
    static Target* target = new Target;
    qs40::DecodeInputs in;
    in.recordLength = static_cast<std::int32_t>(((data[0] << 8) | data[1]) % 45000);
    in.snapshot.params.scrollDisplay = data[2] & 0x01;
    in.snapshot.params.divider = data[2] >> 1; // 0 included
    in.snapshot.params.triggerCount = data[3] & 0x01;
    in.snapshot.params.thresholds = {data[4], data[5], data[4], data[5]};
    in.snapshot.Lev_A1 = data[6] * 2.0 - 128.0;
    in.tdc = {data[7], static_cast<std::uint8_t>(data[7] + 3), 30, 11};
    qs40::FrameTail tail;
    std::memcpy(tail.data(), data + kSetup, qs40::kTailBytes);
    const qs40::ReceivedFrame frame{
        0x8F, {data + kSetup + qs40::kTailBytes, size - kSetup - qs40::kTailBytes}, tail};
    if (target->decoder.decode(frame, in, target->sets) == qs40::DecodeResult::Decoded)
        check(*target->sets.current);
    return 0;
}
