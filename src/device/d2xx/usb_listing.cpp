#include "device/d2xx/usb_listing.h"

#include "device/d2xx/d2xx.h"

#include <filesystem>
#include <fstream>

namespace qs40 {
namespace {

constexpr std::size_t kMaxHubLevels = 5;

} // namespace

std::optional<std::uint32_t> packUsbLocation(unsigned bus, std::span<const std::uint8_t> ports,
                                             unsigned interfaceNumber) {
    if (bus == 0 || bus > 0xFF || interfaceNumber > 0xF || ports.empty() ||
        ports.size() > kMaxHubLevels)
        return std::nullopt;
    std::uint32_t chain = 0;
    for (const std::uint8_t port : ports) {
        if (port == 0 || port > 0xF)
            return std::nullopt;
        chain = (chain << 4) | port;
    }
    return (static_cast<std::uint32_t>(bus) << 24) | (chain << 4) | interfaceNumber;
}

std::string usbSysfsName(unsigned bus, std::span<const std::uint8_t> ports) {
    std::string name = std::to_string(bus);
    char separator = '-';
    for (const std::uint8_t port : ports) {
        name += separator;
        name += std::to_string(port);
        separator = '.';
    }
    return name;
}

std::optional<std::string> usbSysfsProduct(const std::string& sysRoot, unsigned bus,
                                           std::span<const std::uint8_t> ports) {
    if (ports.empty())
        return std::nullopt;
    const auto file = std::filesystem::path(sysRoot) / "bus" / "usb" / "devices" /
                      usbSysfsName(bus, ports) / "product";
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line))
        return std::nullopt;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return fitDescription(std::move(line));
}

std::string fitDescription(std::string text) {
    const std::size_t limit = kDescriptionBufferSize - 1;
    if (text.size() <= limit)
        return text;
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    text.resize(cut);
    return text;
}

} // namespace qs40
