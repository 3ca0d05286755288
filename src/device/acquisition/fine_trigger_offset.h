// The fine trigger offset of a frame, in tenths of a sample: where between two samples the
// trigger crossing lay. Three ways: at the full sample rate the sin(x)/x interpolation of the
// source channel is searched for the crossing; at lower rates the two codes around the crossing
// give a fraction; for a digital source the TDC count does, with the instrument's TDC constant.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/link/protocol_packet.h"
#include "scope/frame.h"

namespace qs40 {

// Offsets are in tenths of a sample; a frame without pairs has its own offset of half a sample.
inline constexpr int kTenthsPerSample = 10;
inline constexpr std::int32_t kHalfSampleTenths = kTenthsPerSample / 2;

// TDC steps per 10 ns that an instrument may report; outside them the nominal value is used.
inline constexpr std::uint8_t kMinTdcConstant = 12;
inline constexpr std::uint8_t kMaxTdcConstant = 27;
inline constexpr std::uint8_t kNominalTdcConstant = 20;

// The constant in use for a TDC.
inline constexpr std::uint8_t usableTdcConstant(std::uint8_t c) {
    return c >= kMinTdcConstant && c <= kMaxTdcConstant ? c : kNominalTdcConstant;
}

struct FineOffsetInputs {
    int source = kTrigSourceNone;             // field 13
    bool falling = false;                     // tail byte 1 bit 4
    bool pairs = false;                       // peak-detect pairs
    std::uint32_t divider = 1;                // 0 is taken as 1
    std::uint32_t triggerTime = 0;            // C: tail bytes 4..7
    std::uint8_t before = 0;                  // tail byte 44: code before the crossing
    std::uint8_t after = 0;                   // tail byte 45: code after it
    std::uint8_t tdcCount = 0;                // tail byte 46 bits 0..4
    std::array<std::uint8_t, 4> thresholds{}; // A1 lower, A1 upper, A2 lower, A2 upper
    TdcConstants tdc{};                       // D1 rise, D1 fall, D2 rise, D2 fall
    // Analog source at divider 1: the source's first series as placed, the trigger position
    // and the frame length.
    std::span<const std::int32_t> series;
    int pre = 0;
    int length = 0;
};

// The offset for fields 14 and 15; the caller leaves them alone for source 0.
std::int32_t fineTriggerOffset(const FineOffsetInputs& in);

} // namespace qs40
