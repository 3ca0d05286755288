// The host's reading of a frame, as far as the simulator's tests need it: the samples unpacked
// and placed by the circular-record pointers, and the fine trigger offset computed from the
// tail with the host's formulas. Kept small and literal, so that a test compares the simulated
// instrument with what the host makes of it.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "device/link/protocol_codec.h"
#include "device/link/protocol_layout.h"
#include "display/sinc_interpolator.h"
#include "host_capture.h"
#include "scope/arith.h"
#include "scope/frame.h"

namespace qs40::sim::test {

struct PlacedFrame {
    int length = 0;  // L: sample positions
    int trigger = 0; // P: the trigger position
    int valid = 0;   // positions that hold samples
    bool pairs = false;
    // First and second series of A1, A2, D1, D2; empty for a channel the frame does not carry.
    std::array<std::vector<std::int32_t>, 4> first, second;
};

// Unpacks and places a frame of record length n the host's way. `unroll`: a complete roll
// stream is shown oldest first.
inline PlacedFrame placeFrame(const CapturedFrame& f, int n, bool unroll = false) {
    namespace tf = tail_field;
    PlacedFrame out;
    const bool stream = f.tail[tf::kStreamFlags] & 0x01;
    const bool complete = f.tail[tf::kStreamFlags] & 0x02;
    out.pairs = f.tail[tf::kTriggerFlags] & 0x01;
    const bool roll = f.tail[tf::kRoll] & 0x01;
    int w = f.tail16(tf::kWritePointer), t = f.tail16(tf::kTriggerPointer);
    int p = f.tail16(tf::kPreLength);
    int l = p + f.tail16(tf::kPostLength);
    if (out.pairs) {
        w /= 2, t /= 2, p /= 2, l /= 2;
    }
    out.length = l;
    out.trigger = p;
    std::uint8_t present = f.tail[tf::kDataPresent] & 0x0F;
    const std::uint8_t routing = f.tail[tf::kRouting];
    if (routing & 0x01) {
        if (present & 0x03)
            present = static_cast<std::uint8_t>((present & ~0x03) | ((routing & 0x02) ? 2 : 1));
        if (present & 0x0C)
            present = static_cast<std::uint8_t>((present & ~0x0C) | ((routing & 0x04) ? 8 : 4));
    }
    // Work entries in the order sent.
    std::array<std::vector<std::int32_t>, 4> work;
    std::size_t at = 0;
    int pending = 0;
    const auto next = [&]() -> std::int32_t { return at < f.samples.size() ? f.samples[at++] : 0; };
    for (int i = 0; i < n; ++i) {
        for (int ch = 0; ch < 2; ++ch)
            if (present & (1 << ch))
                work[ch].push_back(next());
        for (int ch = 2; ch < 4; ++ch)
            if (present & (1 << ch))
                ++pending;
        if (pending >= 4) {
            const std::int32_t byte = next();
            for (int bit = 3, k = 0; bit >= 0; --bit, ++k) {
                const bool both = (present & 0x0C) == 0x0C;
                const int ch = both ? 2 + (k & 1) : ((present & 0x04) ? 2 : 3);
                work[ch].push_back((byte >> bit) & 1);
            }
            pending -= 4;
        }
    }
    const bool unrolled = roll && stream && complete && unroll;
    out.valid = roll && stream && !complete ? w : l;
    for (int ch = 0; ch < 4; ++ch) {
        if (!(present & (1 << ch)))
            continue;
        out.first[ch].assign(static_cast<std::size_t>(l), kNoSample);
        out.second[ch].assign(static_cast<std::size_t>(l), kNoSample);
        std::size_t used = 0;
        for (int k = 0; used < work[ch].size() && l > 0; ++k) {
            int dest = unrolled ? k + l - w : p + k - t;
            if (dest < 0)
                dest += l;
            if (dest >= l)
                dest -= l;
            if (dest < 0 || dest >= l)
                break;
            const auto d = static_cast<std::size_t>(dest);
            out.first[ch][d] = work[ch][used++];
            out.second[ch][d] =
                out.pairs && used < work[ch].size() ? work[ch][used++] : out.first[ch][d];
        }
    }
    return out;
}

// The fine trigger offset in tenths of a sample, as the host computes it for a frame with a
// trigger reference. `source` 1..4 (A1, A2, D1, D2); `tdcSteps` the status packet's constants.
inline int hostFineOffset(const CapturedFrame& f, const PlacedFrame& placed, int source,
                          std::uint32_t divider, const std::array<std::uint8_t, 4>& thresholds,
                          const std::array<std::uint8_t, 4>& tdcSteps) {
    namespace tf = tail_field;
    const bool falling = f.tail[tf::kTriggerFlags] & 0x10;
    const double c = readLe32(&f.tail[tf::kTriggerTime]);
    const double d = divider;
    if (source <= 2) {
        const int lower = thresholds[2 * (source - 1)], upper = thresholds[2 * (source - 1) + 1];
        if (divider == 1) {
            const auto& series = placed.first[source - 1];
            for (int t = 0; t < 10; ++t) {
                const std::int32_t v = sincInterpolate(series, placed.trigger, t, placed.length);
                if (v != kNoSample && (falling ? v < lower : v > upper))
                    return t;
            }
            return 10;
        }
        const double b = f.tail[tf::kBeforeCrossing], a = f.tail[tf::kAfterCrossing];
        const double span = std::abs(a - b);
        const double s = span == 0 ? 0 : falling ? (b - lower) / span : (upper - b) / span;
        return static_cast<int>(roundHalfAway((c + s) * 10 / d));
    }
    int steps = tdcSteps[2 * (source - 3) + (falling ? 1 : 0)];
    if (steps < 12 || steps > 27)
        steps = 20;
    const double s = 1 - static_cast<double>(f.tail[tf::kTdcCount] & 0x1F) / steps;
    return static_cast<int>(roundHalfAway((c + s) * 10 / d)) + (placed.pairs ? 0 : 5);
}

} // namespace qs40::sim::test
