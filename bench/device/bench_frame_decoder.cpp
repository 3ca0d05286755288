// Decoding one frame into the current set: 5000 samples on all four channels (analog trigger at
// the full sample rate, so the interpolated crossing is searched too), and 20000 samples in
// paired mode (A1 and D1).
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "device/acquisition/frame_decoder.h"
#include "device/link/protocol_codec.h"
#include "device/link/protocol_layout.h"

namespace {

struct Frame {
    qs40::FrameTail tail{};
    std::vector<std::uint8_t> samples;
};

// A sine on the analog channels and square waves on the digital ones, packed as the instrument
// packs them: per sample the analog bytes, then the digital bits four to a byte.
Frame makeFrame(std::int32_t n, std::uint8_t channels, std::uint8_t routing) {
    namespace tf = qs40::tail_field;
    Frame f;
    const std::int32_t pre = n / 10;
    qs40::writeLe(&f.tail[tf::kPreLength], static_cast<std::uint64_t>(pre), 2);
    qs40::writeLe(&f.tail[tf::kPostLength], static_cast<std::uint64_t>(n - pre), 2);
    qs40::writeLe(&f.tail[tf::kTriggerPointer], static_cast<std::uint64_t>(pre + 37), 2);
    f.tail[tf::kDataPresent] = 0x0F;
    f.tail[tf::kRouting] = routing;
    f.tail[tf::kSequence] = 1;
    std::uint8_t bits = 0;
    int pending = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const auto code = static_cast<std::uint8_t>(128 + 100 * std::sin(i * 0.01));
        for (int ch = 0; ch < 2; ++ch)
            if (channels & (1 << ch))
                f.samples.push_back(code);
        for (int ch = 0; ch < 2; ++ch) {
            if (!(channels & (4 << ch)))
                continue;
            bits = static_cast<std::uint8_t>((bits << 1) | ((i / (50 + ch)) & 1));
            if (++pending == 4) {
                f.samples.push_back(bits);
                bits = 0;
                pending = 0;
            }
        }
    }
    return f;
}

void decodeLoop(benchmark::State& state, const Frame& frame, std::int32_t n) {
    qs40::FrameDecoder decoder;
    qs40::FrameSets sets;
    qs40::DecodeInputs in;
    in.recordLength = n;
    in.snapshot.params.divider = 1;
    in.snapshot.params.triggerCount = 1;
    in.snapshot.params.thresholds = {126, 130, 126, 130};
    const qs40::ReceivedFrame received{0x8F, frame.samples, frame.tail};
    for (auto _ : state) {
        if (decoder.decode(received, in, sets) != qs40::DecodeResult::Decoded)
            state.SkipWithError("frame not decoded");
        benchmark::DoNotOptimize(sets.current->header[qs40::kHdrFineA1]);
    }
}

void BM_DecodeFrame5000FourChannels(benchmark::State& state) {
    const Frame frame = makeFrame(5000, 0x0F, 0x00);
    decodeLoop(state, frame, 5000);
}
BENCHMARK(BM_DecodeFrame5000FourChannels)->Unit(benchmark::kMicrosecond);

void BM_DecodeFrame20000Paired(benchmark::State& state) {
    const Frame frame = makeFrame(20000, 0x05, 0x01);
    decodeLoop(state, frame, 20000);
}
BENCHMARK(BM_DecodeFrame20000Paired)->Unit(benchmark::kMicrosecond);

} // namespace
