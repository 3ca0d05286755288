// Layout of the two packets the instrument sends: the status packet and the frame packet, with
// the field positions the host reads, and the sample-byte length L of a frame.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qs40 {

// Status packet: 0xFF, 0x5A, 51 bytes nibble-encoded, check byte.
inline constexpr std::size_t kStatusBytes = 51;
inline constexpr std::size_t kStatusWireBytes = 2 * kStatusBytes;
inline constexpr std::size_t kStatusPacketBytes = 2 + kStatusWireBytes + 1;

// Decoded status byte positions.
namespace status_field {
inline constexpr std::size_t kFirmwareVersion = 0;
inline constexpr std::size_t kPowerState = 1;
inline constexpr std::size_t kConfigurationMark = 2;
inline constexpr std::size_t kFpgaVersion = 3;
inline constexpr std::size_t kFeatureWord = 4; // 2 bytes
inline constexpr std::size_t kFreqRange = 7;
inline constexpr std::size_t kFreqCount1 = 8;     // 4 bytes
inline constexpr std::size_t kFreqCount2 = 12;    // 4 bytes
inline constexpr std::size_t kSerialNumber = 17;  // 4 bytes
inline constexpr std::size_t kSerialPrefix = 21;  // 2 bytes
inline constexpr std::size_t kTdcConstants = 25;  // 4 bytes: D1 rise, D1 fall, D2 rise, D2 fall
inline constexpr std::size_t kSupplyMonitor = 49; // 2 bytes, 10-bit ADC count
} // namespace status_field

inline constexpr std::uint8_t kPowerFailureState = 2;
inline constexpr std::uint8_t kConfiguredMark = 0xA5;

// Frame packet: 0xFF, header, L sample bytes, 128 tail bytes nibble-encoded, check byte.
inline constexpr std::size_t kTailBytes = 128;
inline constexpr std::size_t kTailWireBytes = 2 * kTailBytes;

inline constexpr std::uint8_t kFrameHeaderBit = 0x80;
inline constexpr std::uint8_t kHeaderA1 = 0x01;
inline constexpr std::uint8_t kHeaderA2 = 0x02;
inline constexpr std::uint8_t kHeaderD1 = 0x04;
inline constexpr std::uint8_t kHeaderD2 = 0x08;
inline constexpr std::uint8_t kHeaderChannels = kHeaderA1 | kHeaderA2 | kHeaderD1 | kHeaderD2;

// Decoded tail byte positions.
namespace tail_field {
inline constexpr std::size_t kStreamFlags = 0;     // bit 0 stream, bit 1 complete, bit 2 no trigger
inline constexpr std::size_t kTriggerFlags = 1;    // bit 0 pairs, 1 digital, 2 second, 4 slope
inline constexpr std::size_t kRouting = 2;         // bit 0 paired, 1 analog is A2, 2 digital is D2
inline constexpr std::size_t kTriggerTime = 4;     // 4 bytes
inline constexpr std::size_t kPreLength = 8;       // 2 bytes
inline constexpr std::size_t kPostLength = 10;     // 2 bytes
inline constexpr std::size_t kDataPresent = 28;    // bits 0..3: A1, A2, D1, D2
inline constexpr std::size_t kRoll = 29;           // bit 0
inline constexpr std::size_t kWritePointer = 40;   // 2 bytes
inline constexpr std::size_t kTriggerPointer = 42; // 2 bytes
inline constexpr std::size_t kBeforeCrossing = 44;
inline constexpr std::size_t kAfterCrossing = 45;
inline constexpr std::size_t kTdcCount = 46;    // bits 0..4
inline constexpr std::size_t kVariantCode = 66; // 2 bytes
inline constexpr std::size_t kSequence = 69;
} // namespace tail_field

// Bits of the decoded tail bytes, by the byte they live in.
namespace tail_bit {
// tail_field::kStreamFlags
inline constexpr std::uint8_t kStream = 0x01;         // roll data with a moving write pointer
inline constexpr std::uint8_t kStreamComplete = 0x02; // the ring has been filled once
inline constexpr std::uint8_t kNoTrigger = 0x04;      // no trigger reference in this frame
// tail_field::kTriggerFlags
inline constexpr std::uint8_t kPairs = 0x01;         // peak-detect pairs: two entries a position
inline constexpr std::uint8_t kDigitalSource = 0x02; // triggered on D1 or D2
inline constexpr std::uint8_t kSecondSource = 0x04;  // triggered on A2 or D2
inline constexpr std::uint8_t kFalling = 0x10;       // slope: set for the falling edge
// tail_field::kRouting
inline constexpr std::uint8_t kPaired = 0x01;      // at most one analog and one digital channel
inline constexpr std::uint8_t kAnalogIsA2 = 0x02;  // in paired mode: the analog channel is A2
inline constexpr std::uint8_t kDigitalIsD2 = 0x04; // in paired mode: the digital channel is D2
// tail_field::kDataPresent: A1, A2, D1, D2 in bits 0..3, as in the frame packet's header
inline constexpr std::uint8_t kDataPresent = 0x0F;
// tail_field::kRoll
inline constexpr std::uint8_t kRollMode = 0x01;
// tail_field::kTdcCount
inline constexpr std::uint8_t kTdcCount = 0x1F;
} // namespace tail_bit

// The largest record length the host asks for (paired mode).
inline constexpr std::int32_t kMaxRecordLength = 20000;

// L: N for each analog bit, N / 4 for each digital bit, the sum halved in paired mode. A
// negative N counts as 0.
inline constexpr std::size_t frameSampleLength(std::uint8_t header, std::int32_t recordLength,
                                               bool paired) {
    const std::size_t n = recordLength > 0 ? static_cast<std::size_t>(recordLength) : 0;
    std::size_t l = 0;
    if (header & kHeaderA1)
        l += n;
    if (header & kHeaderA2)
        l += n;
    if (header & kHeaderD1)
        l += n / 4;
    if (header & kHeaderD2)
        l += n / 4;
    return paired ? l / 2 : l;
}

// The longest sample stretch any valid frame has: four channels, N = 20000, not paired.
inline constexpr std::size_t kMaxFrameSampleLength =
    frameSampleLength(kFrameHeaderBit | kHeaderChannels, kMaxRecordLength, false);
static_assert(kMaxFrameSampleLength == 50000);

} // namespace qs40
