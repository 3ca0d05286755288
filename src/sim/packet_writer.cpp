#include "sim/packet_writer.h"

#include "device/link/protocol_codec.h"

namespace qs40::sim {

std::uint8_t corruptCheckByte(std::uint8_t good) {
    return good == 0xFE ? std::uint8_t{0xFD} : static_cast<std::uint8_t>(good ^ 0x01);
}

namespace {

void seal(std::vector<std::uint8_t>& out, std::size_t start, bool corrupt) {
    // The check covers everything after the sync byte.
    const std::uint8_t check =
        wireCheckByte(xorBytes(std::span(out).subspan(start + 1, out.size() - start - 1)));
    out.push_back(corrupt ? corruptCheckByte(check) : check);
}

void appendNibbles(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out) {
    const std::size_t at = out.size();
    out.resize(at + 2 * bytes.size());
    nibbleEncode(bytes, out.data() + at);
}

} // namespace

void writeStatusPacket(const StatusBytes& status, bool corruptCheck,
                       std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    out.push_back(kSyncByte);
    out.push_back(kStatusType);
    appendNibbles(status, out);
    seal(out, start, corruptCheck);
}

void writeFramePacket(std::uint8_t header, std::span<const std::uint8_t> samples,
                      const FrameTail& tail, bool corruptCheck, std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    out.push_back(kSyncByte);
    out.push_back(header);
    out.insert(out.end(), samples.begin(), samples.end());
    appendNibbles(tail, out);
    seal(out, start, corruptCheck);
}

} // namespace qs40::sim
