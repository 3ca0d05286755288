// The instrument's settings memory as the host writes it: kind 0x7F blocks land in the settings
// space, kind 0x80 blocks in the constants space, each at its start address.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/link/protocol_packet.h"

namespace qs40::sim {

// The fields of the settings space that the instrument acts on.
struct InstrumentSettings {
    std::uint8_t modeBits = 0;
    std::uint8_t routingBits = 0;
    std::uint32_t divider = 0;
    std::uint16_t preTrigger = 0;
    std::uint16_t postTrigger = 0;
    std::array<std::uint8_t, 4> thresholds{}; // A1 lower, A1 upper, A2 lower, A2 upper
    std::uint8_t triggerCount = 0;
    std::uint8_t runBits = 0;
    std::uint8_t rollBits = 0;
    std::uint8_t freqMeterInput = 0;
    std::uint8_t sequence = 0;
    std::uint8_t inputA1 = 0, inputA2 = 0;
    std::uint16_t offsetA1 = 0, offsetA2 = 0;
    std::uint8_t frameIntervalMs = 0;
    std::array<std::uint8_t, kGeneratorBlockBytes> generator{};

    bool running() const { return (runBits & 0x80) != 0; }
    bool peakPairs() const { return (modeBits & 0x01) != 0; }
    bool roll() const { return (rollBits & 0x01) != 0; }
    bool paired() const { return (routingBits & 0x01) != 0; }
    // Samples per channel: the pre- and post-trigger counts together.
    std::int32_t recordLength() const { return preTrigger + postTrigger; }
};

class RegisterFile {
public:
    // False (and nothing written) when the kind is unknown or the block runs past the space.
    bool write(std::uint8_t kind, std::uint8_t address, std::span<const std::uint8_t> data);
    InstrumentSettings settings() const;
    TdcConstants tdcConstants() const;
    void setTdcConstants(const TdcConstants& tdc);
    void clear();

private:
    std::array<std::uint8_t, 256> settings_{};
    std::array<std::uint8_t, 256> constants_{};
};

} // namespace qs40::sim
