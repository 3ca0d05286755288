#include "device/link/protocol_codec.h"

#include <cstring>

namespace qs40 {

void nibbleEncode(std::span<const std::uint8_t> in, std::uint8_t* out) {
    for (std::uint8_t b : in) {
        *out++ = b & 0x0F;
        *out++ = b >> 4;
    }
}

std::vector<std::uint8_t> nibbleEncode(std::span<const std::uint8_t> in) {
    std::vector<std::uint8_t> out(in.size() * 2);
    nibbleEncode(in, out.data());
    return out;
}

void nibbleDecode(std::span<const std::uint8_t> in, std::uint8_t* out) {
    for (std::size_t j = 0; j + 1 < in.size(); j += 2)
        *out++ = nibbleDecode(in[j], in[j + 1]);
}

std::uint8_t xorBytes(std::span<const std::uint8_t> bytes, std::uint8_t seed) {
    // Eight bytes at a time: the receive path folds every sample byte of every frame.
    std::uint64_t wide = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        wide ^= w;
    }
    wide ^= wide >> 32;
    wide ^= wide >> 16;
    wide ^= wide >> 8;
    auto acc = static_cast<std::uint8_t>(seed ^ static_cast<std::uint8_t>(wide));
    for (; i < bytes.size(); ++i)
        acc ^= bytes[i];
    return acc;
}

} // namespace qs40
