#include "device/d2xx/ftdi_devices.h"

#include "device/d2xx/ftdi_context.h"
#include "device/d2xx/usb_listing.h"

#include <algorithm>
#include <array>
#include <ftdi.h>
#include <libusb.h>
#include <memory>

namespace qs40 {
namespace {

// USB allows seven tiers below the root hub.
constexpr int kMaxPortChain = 7;
// ftdi_set_interface knows channels A to D.
constexpr unsigned kMaxChannels = 4;

std::span<const std::uint8_t> portChain(libusb_device* device,
                                        std::array<std::uint8_t, kMaxPortChain>& ports) {
    const int depth = libusb_get_port_numbers(device, ports.data(), kMaxPortChain);
    return std::span(ports.data(), static_cast<std::size_t>(std::max(depth, 0)));
}

unsigned channelCount(libusb_device* device) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_config_descriptor(device, 0, &config) != LIBUSB_SUCCESS || config == nullptr)
        return 1;
    const unsigned count = std::clamp<unsigned>(config->bNumInterfaces, 1, kMaxChannels);
    libusb_free_config_descriptor(config);
    return count;
}

std::string productString(ftdi_context* context, libusb_device* device, const std::string& sysRoot,
                          unsigned bus, std::span<const std::uint8_t> ports) {
    if (auto product = usbSysfsProduct(sysRoot, bus, ports))
        return std::move(*product);
    std::array<char, kDescriptionBufferSize> text{};
    if (ftdi_usb_get_strings(context, device, nullptr, 0, text.data(),
                             static_cast<int>(text.size()), nullptr, 0) != 0)
        return {};
    text.back() = '\0';
    return fitDescription(text.data());
}

} // namespace

std::uint32_t ftdiLocation(unsigned bus, std::span<const std::uint8_t> ports, unsigned address,
                           unsigned interfaceNumber) {
    if (const auto location = packUsbLocation(bus, ports, interfaceNumber))
        return *location;
    return ((bus & 0xFFF) << 12) | ((address & 0xFF) << 4) | (interfaceNumber & 0xF);
}

bool forEachFtdiChannel(ftdi_context* context, const FtdiChannelVisitor& visit) {
    ftdi_device_list* list = nullptr;
    if (ftdi_usb_find_all(context, &list, 0, 0) < 0)
        return false;
    for (ftdi_device_list* entry = list; entry != nullptr; entry = entry->next) {
        libusb_device* device = entry->dev;
        std::array<std::uint8_t, kMaxPortChain> ports{};
        const auto chain = portChain(device, ports);
        const unsigned bus = libusb_get_bus_number(device);
        const unsigned address = libusb_get_device_address(device);
        bool done = false;
        for (unsigned channel = 0, n = channelCount(device); channel < n && !done; ++channel)
            done = visit(device, channel, ftdiLocation(bus, chain, address, channel));
        if (done)
            break;
    }
    ftdi_list_free(&list);
    return true;
}

FtStatus listFtdiChannels(const std::string& sysRoot, std::vector<FtdiChannel>& channels) {
    channels.clear();
    const FtdiContextPtr context = newFtdiContext();
    if (!context)
        return FT_INSUFFICIENT_RESOURCES;
    libusb_device* described = nullptr;
    std::string description;
    const bool listed = forEachFtdiChannel(context.get(), [&](libusb_device* device, unsigned,
                                                              std::uint32_t location) {
        if (device != described) {
            std::array<std::uint8_t, kMaxPortChain> ports{};
            description = productString(context.get(), device, sysRoot,
                                        libusb_get_bus_number(device), portChain(device, ports));
            described = device;
        }
        channels.push_back({location, description});
        return false;
    });
    if (!listed) {
        channels.clear();
        return FT_OTHER_ERROR;
    }
    std::stable_sort(
        channels.begin(), channels.end(),
        [](const FtdiChannel& a, const FtdiChannel& b) { return a.location < b.location; });
    return FT_OK;
}

} // namespace qs40
