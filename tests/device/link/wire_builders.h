// Instrument packets built by hand for the host-side tests: sync, type or header, body, check.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "device/link/protocol_codec.h"
#include "device/link/protocol_layout.h"

namespace qs40::test {

using Bytes = std::vector<std::uint8_t>;

// The check byte as the instrument sends it: the xor of everything after the sync byte, 0xFF
// sent as 0xFE. Pass corrupt = true for a wrong one.
inline Bytes sealPacket(Bytes packet, bool corrupt = false) {
    std::uint8_t check = wireCheckByte(xorBytes(std::span(packet).subspan(1)));
    if (corrupt) // a wrong check byte that is still not the sync byte
        check = check == 0xFE ? std::uint8_t{0xFD} : static_cast<std::uint8_t>(check ^ 0x01);
    packet.push_back(check);
    return packet;
}

inline Bytes statusPacket(std::span<const std::uint8_t, kStatusBytes> status,
                          bool corrupt = false) {
    Bytes p{kSyncByte, kStatusType};
    const Bytes body = nibbleEncode(status);
    p.insert(p.end(), body.begin(), body.end());
    return sealPacket(std::move(p), corrupt);
}

inline Bytes framePacket(std::uint8_t header, std::span<const std::uint8_t> samples,
                         std::span<const std::uint8_t, kTailBytes> tail, bool corrupt = false) {
    Bytes p{kSyncByte, header};
    p.insert(p.end(), samples.begin(), samples.end());
    const Bytes t = nibbleEncode(tail);
    p.insert(p.end(), t.begin(), t.end());
    return sealPacket(std::move(p), corrupt);
}

inline void append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

} // namespace qs40::test
