// The instrument's two packets on the wire: sync, type or header, body, check byte.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "device/link/protocol_parser.h"

namespace qs40::sim {

// A check byte made wrong on purpose, still never the sync byte.
std::uint8_t corruptCheckByte(std::uint8_t good);

// Appends 0xFF 0x5A, the 51 bytes nibble-encoded and the check byte.
void writeStatusPacket(const StatusBytes& status, bool corruptCheck,
                       std::vector<std::uint8_t>& out);

// Appends 0xFF, the header, the sample bytes, the tail nibble-encoded and the check byte.
void writeFramePacket(std::uint8_t header, std::span<const std::uint8_t> samples,
                      const FrameTail& tail, bool corruptCheck, std::vector<std::uint8_t>& out);

} // namespace qs40::sim
