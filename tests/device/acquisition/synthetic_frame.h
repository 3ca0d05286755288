// Frames built by hand for the decoder tests: a tail with the fields the decoder reads, and the
// sample bytes packed as the instrument packs them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "device/link/protocol_codec.h"
#include "device/link/protocol_layout.h"
#include "device/link/protocol_parser.h"

namespace qs40::test {

inline constexpr std::uint8_t kA1 = 0x01, kA2 = 0x02, kD1 = 0x04, kD2 = 0x08;

struct FrameSpec {
    std::int32_t n = 1000;       // entries per channel (the record length asked for)
    std::uint8_t present = 0x0F; // tail byte 28
    std::uint8_t routing = 0;    // tail byte 2
    std::uint8_t carried = 0x0F; // channels whose bytes are packed
    std::uint8_t streamFlags = 0;
    std::uint8_t triggerFlags = 0;
    bool roll = false;
    std::uint16_t pre = 100, post = 900; // entries
    std::uint16_t write = 0, trigger = 100;
    std::uint32_t triggerTime = 0;
    std::uint8_t before = 0, after = 0, tdcCount = 0;
    std::uint16_t variant = 31;
    std::uint8_t sequence = 1;
    // Entries of A1, A2, D1, D2; a carried channel without entries sends zeros.
    std::array<std::vector<std::uint8_t>, 4> entries;
};

inline FrameTail makeTail(const FrameSpec& s) {
    namespace tf = tail_field;
    FrameTail t{};
    t[tf::kStreamFlags] = s.streamFlags;
    t[tf::kTriggerFlags] = s.triggerFlags;
    t[tf::kRouting] = s.routing;
    writeLe(&t[tf::kTriggerTime], s.triggerTime, 4);
    writeLe(&t[tf::kPreLength], s.pre, 2);
    writeLe(&t[tf::kPostLength], s.post, 2);
    t[tf::kDataPresent] = s.present;
    t[tf::kRoll] = s.roll ? 1 : 0;
    writeLe(&t[tf::kWritePointer], s.write, 2);
    writeLe(&t[tf::kTriggerPointer], s.trigger, 2);
    t[tf::kBeforeCrossing] = s.before;
    t[tf::kAfterCrossing] = s.after;
    t[tf::kTdcCount] = s.tdcCount;
    writeLe(&t[tf::kVariantCode], s.variant, 2);
    t[tf::kSequence] = s.sequence;
    return t;
}

// Per entry the A1 byte, then the A2 byte; digital bits one per carried digital channel (D1
// first), four to a byte, oldest in bit 3.
inline std::vector<std::uint8_t> packSamples(const FrameSpec& s) {
    std::vector<std::uint8_t> out;
    const auto entry = [&](int ch, std::int32_t i) -> std::uint8_t {
        const auto& v = s.entries[static_cast<std::size_t>(ch)];
        return static_cast<std::size_t>(i) < v.size() ? v[static_cast<std::size_t>(i)] : 0;
    };
    std::uint8_t bits = 0;
    int pending = 0;
    for (std::int32_t i = 0; i < s.n; ++i) {
        for (int ch = 0; ch < 2; ++ch)
            if (s.carried & (kA1 << ch))
                out.push_back(entry(ch, i));
        for (int ch = 0; ch < 2; ++ch) {
            if (!(s.carried & (kD1 << ch)))
                continue;
            bits = static_cast<std::uint8_t>((bits << 1) | (entry(2 + ch, i) & 1));
            if (++pending == 4) {
                out.push_back(bits & 0x0F);
                bits = 0;
                pending = 0;
            }
        }
    }
    return out;
}

// The frame as the parser hands it over; keeps the tail and the bytes alive.
struct BuiltFrame {
    FrameTail tail;
    std::vector<std::uint8_t> samples;
    std::uint8_t header = 0x8F;
    ReceivedFrame received() const { return {header, samples, tail}; }
};

inline BuiltFrame buildFrame(const FrameSpec& s) {
    return {makeTail(s), packSamples(s),
            static_cast<std::uint8_t>(kFrameHeaderBit | (s.present & 0x0F))};
}

// Entries following a pattern: f(i) for i = 0 .. n-1.
template <class F> std::vector<std::uint8_t> entriesOf(std::int32_t n, F f) {
    std::vector<std::uint8_t> v(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i)
        v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(f(i));
    return v;
}

} // namespace qs40::test
