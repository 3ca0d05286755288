#include "sim/sample_packer.h"

namespace qs40::sim {

std::uint8_t carriedChannels(std::uint8_t runBits, std::uint8_t routingBits) {
    std::uint8_t channels = runBits & 0x0F;
    if (routingBits & 0x01) {
        if (channels & (kChannelA1 | kChannelA2))
            channels = (channels & ~(kChannelA1 | kChannelA2)) |
                       ((routingBits & 0x02) ? kChannelA2 : kChannelA1);
        if (channels & (kChannelD1 | kChannelD2))
            channels = (channels & ~(kChannelD1 | kChannelD2)) |
                       ((routingBits & 0x04) ? kChannelD2 : kChannelD1);
    }
    return static_cast<std::uint8_t>(channels);
}

void packSamples(const FrameSamples& samples, std::uint8_t channels, std::size_t n,
                 std::size_t wireLength, std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    const auto entry = [n](const std::vector<std::uint8_t>& v, std::size_t i) {
        return i < v.size() && i < n ? v[i] : std::uint8_t{0};
    };
    std::uint8_t bits = 0;
    int pending = 0;
    for (std::size_t i = 0; i < n && out.size() - start < wireLength; ++i) {
        for (int ch = 0; ch < 2; ++ch)
            if (channels & (kChannelA1 << ch))
                out.push_back(entry(samples.analog[ch], i));
        for (int ch = 0; ch < 2; ++ch) {
            if (!(channels & (kChannelD1 << ch)))
                continue;
            bits = static_cast<std::uint8_t>((bits << 1) | (entry(samples.digital[ch], i) & 1));
            if (++pending == 4) {
                out.push_back(bits & 0x0F);
                bits = 0;
                pending = 0;
            }
        }
    }
    out.resize(start + wireLength, 0);
}

} // namespace qs40::sim
