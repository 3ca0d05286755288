// The instrument's status packet: its fields, and what the host does with each packet.
#pragma once

#include <array>
#include <cstdint>

#include "device/link/link_state.h"
#include "device/link/protocol_layout.h"

namespace qs40 {

using StatusBytes = std::array<std::uint8_t, kStatusBytes>;

struct StatusReport {
    std::uint8_t firmwareVersion = 0;
    std::uint8_t powerState = 0;
    std::uint8_t configurationMark = 0;
    std::uint8_t fpgaVersion = 0;
    std::uint16_t featureWord = 0;
    std::uint8_t freqRange = 0;
    std::uint32_t freqCount1 = 0;
    std::uint32_t freqCount2 = 0;
    std::uint32_t serialNumber = 0;
    std::uint16_t serialPrefix = 0;
    TdcConstants tdc{};
    std::uint16_t supplyMonitor = 0; // 10-bit ADC count
};

StatusReport decodeStatus(const StatusBytes& bytes);

// The supply voltage in hundredths of a volt: count x 660 / 1023, integer arithmetic.
inline constexpr std::int32_t supplyVoltage(std::uint16_t count) {
    return static_cast<std::int32_t>(count) * 660 / 1023;
}

// Applies a status packet whose check byte matched, in the instrument link's order: activity
// mark and firmware version; power-failure and configuration-lost faults (only while the link is
// up); link up with FPGA version and feature word on the configuration mark; identity; TDC
// constants; supply voltage; the frequency meter while running; the status-ready request.
void applyStatus(const StatusReport& status, LinkState& link);

} // namespace qs40
