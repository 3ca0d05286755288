#include "device/acquisition/frame_decoder.h"

#include <algorithm>

#include "device/acquisition/fine_trigger_offset.h"
#include "device/link/protocol_codec.h"
#include "device/link/protocol_layout.h"
#include "scope/arith.h"

namespace qs40 {

namespace {

// The presence bits of the tail and of the frame packet's header are the channel mask of field 18.
static_assert(kPresentA1 == kHeaderA1 && kPresentA2 == kHeaderA2 && kPresentD1 == kHeaderD1 &&
              kPresentD2 == kHeaderD2 && tail_bit::kDataPresent == kHeaderChannels);

// Codes at or above this one are clipped: a channel touching it has no peak-to-peak.
constexpr std::int32_t kClippedCode = 254;
constexpr std::int32_t kMaxTriggerLevel = 255;

// Digital bits travel four to a byte, in its low nibble.
constexpr int kDigitalBitsPerByte = 4;

// Paired mode carries at most one analog and one digital channel; the routing bits say which.
std::uint8_t presentChannels(const FrameTail& tail) {
    namespace tb = tail_bit;
    std::uint8_t present = tail[tail_field::kDataPresent] & tb::kDataPresent;
    const std::uint8_t routing = tail[tail_field::kRouting];
    if (routing & tb::kPaired) {
        present &=
            static_cast<std::uint8_t>((routing & tb::kAnalogIsA2) ? ~kPresentA1 : ~kPresentA2);
        present &=
            static_cast<std::uint8_t>((routing & tb::kDigitalIsD2) ? ~kPresentD1 : ~kPresentD2);
    }
    return present;
}

// The source a triggered frame names: digital or analog, first or second channel.
FrameTrigSource triggerSource(std::uint8_t triggerFlags) {
    const bool second = triggerFlags & tail_bit::kSecondSource;
    if (triggerFlags & tail_bit::kDigitalSource)
        return second ? kTrigSourceD2 : kTrigSourceD1;
    return second ? kTrigSourceA2 : kTrigSourceA1;
}

int countBits(std::uint8_t v) {
    int n = 0;
    for (; v; v &= static_cast<std::uint8_t>(v - 1))
        ++n;
    return n;
}

struct LevelStats {
    std::int32_t sum = 0;
    std::int32_t peakToPeak = -1;
};

// Over the valid positions: the halved sum of both series, and the spread from the smallest
// first-series to the largest second-series code, kept only when neither touches the ends of the
// code range. Entries without a sample are left out.
LevelStats levelStatistics(const std::int32_t* first, const std::int32_t* second,
                           std::int32_t valid) {
    std::int64_t sum = 0;
    std::int32_t lowest = kNoSample;
    std::int32_t highest = INT32_MIN;
    for (std::int32_t i = 0; i < valid; ++i) {
        const std::int32_t a = first[i];
        const std::int32_t b = second[i];
        if (a != kNoSample) {
            sum += a;
            lowest = std::min(lowest, a);
        }
        if (b != kNoSample) {
            sum += b;
            highest = std::max(highest, b);
        }
    }
    LevelStats s;
    s.sum = static_cast<std::int32_t>(sum / 2);
    if (valid != 0 && lowest != kNoSample && highest != INT32_MIN && lowest > 0 &&
        highest < kClippedCode)
        s.peakToPeak = highest - lowest;
    return s;
}

} // namespace

// The frame as its tail describes it, checked against the record that was asked for.
struct FrameDecoder::Layout {
    bool stream = false;
    bool complete = false;
    bool noTrigger = false;
    bool pairs = false;
    bool roll = false;
    bool unroll = false;
    bool falling = false;
    std::uint8_t triggerFlags = 0;
    std::uint8_t present = 0;
    std::int32_t perPosition = 1;
    std::int32_t length = 0;       // L, positions
    std::int32_t pre = 0;          // P, positions
    std::int32_t write = 0;        // W, positions
    std::int32_t writeEntries = 0; // W as sent, in entries
    std::int32_t trigger = 0;      // T, positions
    std::int32_t valid = 0;        // field 8
    std::int32_t ring = 0;         // field 9
    std::int32_t rotation = 0;     // destination = (k + rotation) modulo L
};

FrameDecoder::FrameDecoder() : work_(new std::int32_t[kChannels * kMaxSamples]) {
    std::fill_n(work_.get(), kChannels * kMaxSamples, kNoSample);
}

DecodeResult FrameDecoder::readLayout(const FrameTail& tail, std::int32_t n, bool scrollDisplay,
                                      Layout& f) {
    namespace tf = tail_field;
    namespace tb = tail_bit;
    if (n <= 0 || n > kMaxSamples)
        return DecodeResult::BadRecordLength;
    const std::uint8_t flags = tail[tf::kStreamFlags];
    f.stream = flags & tb::kStream;
    f.complete = flags & tb::kStreamComplete;
    f.noTrigger = flags & tb::kNoTrigger;
    f.triggerFlags = tail[tf::kTriggerFlags];
    f.pairs = f.triggerFlags & tb::kPairs;
    f.falling = f.triggerFlags & tb::kFalling;
    f.roll = tail[tf::kRoll] & tb::kRollMode;
    f.perPosition = f.pairs ? 2 : 1;
    const std::int32_t pre = readLe16(&tail[tf::kPreLength]);
    const std::int32_t post = readLe16(&tail[tf::kPostLength]);
    f.writeEntries = readLe16(&tail[tf::kWritePointer]);
    f.length = (pre + post) / f.perPosition;
    f.pre = pre / f.perPosition;
    f.write = f.writeEntries / f.perPosition;
    f.trigger = readLe16(&tail[tf::kTriggerPointer]) / f.perPosition;
    f.present = presentChannels(tail);

    // The record must be the one asked for, in positions, and hold every pointer it uses. The
    // pre-trigger length cannot exceed L, which is made of it and the post-trigger length.
    if (f.length != n / f.perPosition || f.length == 0)
        return DecodeResult::BadLength;
    const bool rollStream = f.roll && f.stream;
    f.unroll = rollStream && f.complete && scrollDisplay;
    if (rollStream && (f.write >= f.length || f.writeEntries >= n))
        return DecodeResult::BadPointer;
    if (!f.unroll && f.trigger >= f.length)
        return DecodeResult::BadPointer;

    if (rollStream && !f.complete) {
        f.valid = f.ring = f.write;
    } else if (rollStream) {
        f.valid = f.length;
        f.ring = f.unroll ? f.length : f.write;
    } else {
        f.valid = f.ring = f.length;
    }
    f.rotation = f.unroll ? (f.length - f.write) % f.length
                          : ((f.pre - f.trigger) % f.length + f.length) % f.length;
    return DecodeResult::Decoded;
}

// Unpacks n samples of the present channels into the work arrays; the caller has checked that
// the frame has the bytes.
void FrameDecoder::unpack(const ReceivedFrame& frame, const Layout& f, std::int32_t n) {
    const std::uint8_t* p = frame.samples.data();
    std::int32_t* a1 = (f.present & kPresentA1) ? workOf(0) : nullptr;
    std::int32_t* a2 = (f.present & kPresentA2) ? workOf(1) : nullptr;
    const bool d1 = f.present & kPresentD1;
    const bool d2 = f.present & kPresentD2;
    if (!d1 && !d2) {
        if (a1 && a2) {
            for (std::int32_t i = 0; i < n; ++i, p += 2) {
                a1[i] = p[0];
                a2[i] = p[1];
            }
        } else if (a1 || a2) {
            std::int32_t* a = a1 ? a1 : a2;
            for (std::int32_t i = 0; i < n; ++i)
                a[i] = p[i];
        }
        return;
    }
    // Digital bits: one per present digital channel per sample, four to a byte, oldest in
    // bit 3, alternating D1 and D2 when both are present.
    std::int32_t* dig[2] = {d1 ? workOf(2) : workOf(3), d2 ? workOf(3) : workOf(2)};
    const int perSample = (d1 ? 1 : 0) + (d2 ? 1 : 0);
    std::int32_t next[2] = {0, 0};
    int pending = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        if (a1)
            a1[i] = *p++;
        if (a2)
            a2[i] = *p++;
        pending += perSample;
        if (pending < kDigitalBitsPerByte)
            continue;
        pending = 0;
        const std::uint8_t b = *p++;
        for (int bit = kDigitalBitsPerByte - 1; bit >= 0; --bit) {
            const int which = perSample == 2 ? (kDigitalBitsPerByte - 1 - bit) & 1 : 0;
            dig[which][next[which]++] = (b >> bit) & 1;
        }
    }
    // Samples whose bits never completed a byte have none.
    for (int which = 0; which < perSample; ++which)
        std::fill(dig[which] + next[which], dig[which] + n, kNoSample);
}

// Places the work entries of every channel into its two series by the record's rotation.
void FrameDecoder::place(const Layout& f, FrameData& data) const {
    const std::int32_t l = f.length;
    for (int ch = 0; ch < kChannels; ++ch) {
        std::int32_t* first = data.series[static_cast<std::size_t>(2 * ch)].data();
        std::int32_t* second = data.series[static_cast<std::size_t>(2 * ch + 1)].data();
        if (!(f.present & (1u << ch))) {
            std::fill_n(first, kMaxSamples, kNoSample);
            std::fill_n(second, kMaxSamples, kNoSample);
            continue;
        }
        const std::int32_t* w = workOf(ch);
        // Positions k < l - rotation go to k + rotation, the rest wrap round to the start.
        const auto stretch = [&](std::int32_t k0, std::int32_t k1, std::int32_t dest) {
            if (f.pairs) {
                for (std::int32_t k = k0; k < k1; ++k, ++dest) {
                    first[dest] = w[2 * k];
                    second[dest] = w[2 * k + 1];
                }
            } else {
                std::copy(w + k0, w + k1, first + dest);
                std::copy(w + k0, w + k1, second + dest);
            }
        };
        stretch(0, l - f.rotation, f.rotation);
        stretch(l - f.rotation, l, 0);
        std::fill(first + f.valid, first + kMaxSamples, kNoSample);
        std::fill(second + f.valid, second + kMaxSamples, kNoSample);
    }
}

DecodeResult FrameDecoder::decode(const ReceivedFrame& frame, const DecodeInputs& in,
                                  FrameSets& sets, DecodedFrame* out) {
    namespace tf = tail_field;
    const FrameTail& tail = frame.tail;
    const AcquisitionParams& params = in.snapshot.params;
    const std::int32_t n = in.recordLength;

    Layout f;
    if (const DecodeResult r = readLayout(tail, n, params.scrollDisplay, f);
        r != DecodeResult::Decoded)
        return r;
    const int analog = countBits(f.present & (kPresentA1 | kPresentA2));
    const int digital = countBits(f.present & (kPresentD1 | kPresentD2));
    const std::size_t needed =
        static_cast<std::size_t>(n) * static_cast<std::size_t>(analog) +
        static_cast<std::size_t>(n) * static_cast<std::size_t>(digital) / kDigitalBitsPerByte;
    if (needed > frame.samples.size())
        return DecodeResult::ShortSamples;

    unpack(frame, f, n);

    // The recorder takes its bytes before the frame set is locked: an early flush waits for
    // the GUI thread, which may itself be waiting for the frame set.
    if (recorder_) {
        const bool a1 = f.present & kPresentA1;
        recorder_->handOver({workOf(0), static_cast<std::size_t>(n)}, f.writeEntries,
                            f.stream && a1, flush_);
    }

    std::lock_guard lock(sets.mutex);
    FrameData& data = *sets.current;
    place(f, data);

    auto& h = data.header;
    h[kHdrLength] = f.length;
    h[kHdrTrigPos] = f.pre;
    h[kHdrValid] = f.valid;
    h[kHdrRing] = f.ring;
    h[kHdrRoll] = f.roll ? 1 : 0;
    h[kHdrPairs] = f.pairs ? 1 : 0;

    for (int ch = 0; ch < 2; ++ch) {
        LevelStats s;
        if (f.present & (1u << ch))
            s = levelStatistics(data.series[static_cast<std::size_t>(2 * ch)].data(),
                                data.series[static_cast<std::size_t>(2 * ch + 1)].data(), f.valid);
        h[kHdrLevelSumA1 + ch] = s.sum;
        h[kHdrPeakToPeakA1 + ch] = s.peakToPeak;
    }

    h[kHdrVariant] = readLe16(&tail[tf::kVariantCode]);
    h[kHdrDivider] = static_cast<std::int32_t>(params.divider);
    h[kHdrVoltsDivA1] = params.voltsDivA1;
    h[kHdrZeroA1] = in.snapshot.A1_Zero;
    h[kHdrVoltsDivA2] = params.voltsDivA2;
    h[kHdrZeroA2] = in.snapshot.A2_Zero;
    h[kHdrGenSecond] = params.genSecond;
    h[kHdrGenFrequency] = params.genFrequency;
    h[kHdrChannels] = f.present;
    h[kHdrFmRange] = in.freqRange;
    h[kHdrFmCount1] = static_cast<std::int32_t>(in.freqCount1);
    h[kHdrFmCount2] = static_cast<std::int32_t>(in.freqCount2);
    h[kHdrFmTime] = in.freqTime;

    const FrameTrigSource source =
        params.triggerCount != 0 && !f.noTrigger ? triggerSource(f.triggerFlags) : kTrigSourceNone;
    h[kHdrTrigSource] = source;
    if (source == kTrigSourceA1)
        h[kHdrTrigLevel] = roundToInt32(in.snapshot.Lev_A1);
    else if (source == kTrigSourceA2)
        h[kHdrTrigLevel] = roundToInt32(in.snapshot.Lev_A2);
    h[kHdrTrigLevel] = std::clamp(h[kHdrTrigLevel], 0, kMaxTriggerLevel);

    h[kHdrFrameCounter] = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(h[kHdrFrameCounter]) + 1u); // wraps instead of overflowing
    const std::int32_t noOffset = f.pairs ? 0 : kHalfSampleTenths;
    for (int field = kHdrFineA1; field <= kHdrFineD2; ++field)
        h[field] = noOffset;

    const std::uint8_t tdcCount = tail[tf::kTdcCount] & tail_bit::kTdcCount;
    if (source != kTrigSourceNone) {
        FineOffsetInputs o;
        o.source = source;
        o.falling = f.falling;
        o.pairs = f.pairs;
        o.divider = params.divider;
        o.triggerTime = readLe32(&tail[tf::kTriggerTime]);
        o.before = tail[tf::kBeforeCrossing];
        o.after = tail[tf::kAfterCrossing];
        o.tdcCount = tdcCount;
        o.thresholds = params.thresholds;
        o.tdc = in.tdc;
        if (analogTrigSource(source))
            o.series = data.series[static_cast<std::size_t>(source == kTrigSourceA1 ? kA1First
                                                                                    : kA2First)];
        o.pre = f.pre;
        o.length = f.length;
        h[kHdrFineA1] = h[kHdrFineA2] = fineTriggerOffset(o);
    }

    if (out) {
        out->length = f.length;
        out->valid = f.valid;
        out->tdcCount = tdcCount;
    }
    return DecodeResult::Decoded;
}

} // namespace qs40
