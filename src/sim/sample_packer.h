// How a frame's samples go on the wire: per sample index the A1 byte, then the A2 byte, of the
// channels the frame carries; digital bits are gathered one per carried digital channel per
// sample (D1 before D2) and every fourth bit completes a byte whose low nibble holds them,
// oldest in bit 3.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qs40::sim {

// A frame's acquired entries in the order they are sent, one vector per channel.
struct FrameSamples {
    std::array<std::vector<std::uint8_t>, 2> analog;  // A1, A2: codes 0..254
    std::array<std::vector<std::uint8_t>, 2> digital; // D1, D2: 0 or 1
};

inline constexpr std::uint8_t kChannelA1 = 0x01;
inline constexpr std::uint8_t kChannelA2 = 0x02;
inline constexpr std::uint8_t kChannelD1 = 0x04;
inline constexpr std::uint8_t kChannelD2 = 0x08;

// The channels whose data a frame carries: the enabled channels of the run bits; in paired mode
// only the analog and the digital channel that the routing bits select.
std::uint8_t carriedChannels(std::uint8_t runBits, std::uint8_t routingBits);

// Appends exactly wireLength bytes: the packed samples of n entries, cut or padded with zeros
// to the length the host computes from the header.
void packSamples(const FrameSamples& samples, std::uint8_t channels, std::size_t n,
                 std::size_t wireLength, std::vector<std::uint8_t>& out);

} // namespace qs40::sim
