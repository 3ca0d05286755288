// Byte encodings shared by both directions of the instrument link: the nibble encoding, the
// exclusive-or check byte and little-endian fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qs40 {

// The host writes this byte by itself before every command.
inline constexpr std::uint8_t kCommandMarker = 0xFA;
// Every instrument packet starts with this byte; it occurs nowhere else in the stream.
inline constexpr std::uint8_t kSyncByte = 0xFF;
// The second byte of a status packet.
inline constexpr std::uint8_t kStatusType = 0x5A;

// A byte b travels as two bytes: b AND 0x0F, then b >> 4. The result never holds 0xFA or 0xFF.
void nibbleEncode(std::span<const std::uint8_t> in, std::uint8_t* out);
std::vector<std::uint8_t> nibbleEncode(std::span<const std::uint8_t> in);

// One byte back from its two wire bytes: the low nibble of the first plus 16 times the second
// (the second is not masked, so a malformed pair decodes the way the instrument's peer does).
inline std::uint8_t nibbleDecode(std::uint8_t low, std::uint8_t high) {
    return static_cast<std::uint8_t>((low & 0x0F) + (high << 4));
}
// Decodes in.size() / 2 bytes into out.
void nibbleDecode(std::span<const std::uint8_t> in, std::uint8_t* out);

// Exclusive-or of the bytes.
std::uint8_t xorBytes(std::span<const std::uint8_t> bytes, std::uint8_t seed = 0);

// The instrument cannot send 0xFF as a check byte (it is the sync byte); it sends 0xFE instead.
inline constexpr std::uint8_t wireCheckByte(std::uint8_t check) {
    return check == 0xFF ? std::uint8_t{0xFE} : check;
}

// Little-endian fields.
inline std::uint16_t readLe16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t readLe32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
// Writes the low `bytes` bytes of v.
inline void writeLe(std::uint8_t* p, std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace qs40
