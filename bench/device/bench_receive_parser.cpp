// Throughput of the receive parser over a stream of full frames: 5000 samples on all four
// channels (header 0x8F, not paired, 12500 sample bytes), valid check bytes, fed in reads of
// 65000 bytes as the receive step does.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "device/link/protocol_codec.h"
#include "device/link/protocol_parser.h"

namespace {

struct CountingHandler : qs40::ReceiveHandler {
    std::size_t frames = 0;
    void onStatus(const qs40::StatusBytes&) override {}
    void onFrame(const qs40::ReceivedFrame& f) override { frames += f.samples.size() == 12500; }
};

std::vector<std::uint8_t> frameStream(int frames) {
    std::vector<std::uint8_t> stream;
    std::uint32_t x = 12345;
    for (int i = 0; i < frames; ++i) {
        const std::size_t start = stream.size();
        stream.push_back(qs40::kSyncByte);
        stream.push_back(0x8F);
        for (int s = 0; s < 12500; ++s) {
            x = x * 1664525u + 1013904223u;
            stream.push_back(static_cast<std::uint8_t>((x >> 24) % 255));
        }
        std::uint8_t tail[qs40::kTailBytes];
        for (std::size_t t = 0; t < qs40::kTailBytes; ++t)
            tail[t] = static_cast<std::uint8_t>(t + i);
        const auto wire = qs40::nibbleEncode(tail);
        stream.insert(stream.end(), wire.begin(), wire.end());
        stream.push_back(qs40::wireCheckByte(
            qs40::xorBytes({stream.data() + start + 1, stream.size() - start - 1})));
    }
    return stream;
}

void BM_ReceiveParserFrames5000x4(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = frameStream(40);
    CountingHandler handler;
    qs40::ReceiveParser parser(handler);
    parser.setFrameGeometry(5000, false);
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += 65000)
            parser.feed({stream.data() + at, std::min<std::size_t>(65000, stream.size() - at)});
    }
    if (handler.frames != 40 * static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("frames were lost");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_ReceiveParserFrames5000x4);

// The same stream one byte per call: the cost of the state machine itself.
void BM_ReceiveParserFrames5000x4ByteByByte(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = frameStream(4);
    CountingHandler handler;
    qs40::ReceiveParser parser(handler);
    parser.setFrameGeometry(5000, false);
    for (auto _ : state) {
        for (const std::uint8_t& b : stream)
            parser.feed({&b, 1});
    }
    if (handler.frames != 4 * static_cast<std::size_t>(state.iterations()))
        state.SkipWithError("frames were lost");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_ReceiveParserFrames5000x4ByteByByte);

} // namespace
