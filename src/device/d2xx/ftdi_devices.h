// The FTDI chips attached, as libftdi1 finds them (the chips it drives, under FTDI's vendor id),
// one entry per serial channel: a dual chip gives two, like the D2XX listing.
#pragma once

#include "device/d2xx/d2xx.h"
#include "device/d2xx/ftdi_bus.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

struct ftdi_context;
struct libusb_device;

namespace qs40 {

// The location of channel `interfaceNumber` of the device at bus and port chain, packed as
// usb_listing.h says; when the topology does not fit, (bus << 12) | (address << 4) | interface,
// which stays below every topology location.
std::uint32_t ftdiLocation(unsigned bus, std::span<const std::uint8_t> ports, unsigned address,
                           unsigned interfaceNumber);

// Calls `visit` for each channel of every attached chip until it returns true. False when the
// devices could not be listed.
using FtdiChannelVisitor =
    std::function<bool(libusb_device* device, unsigned interfaceNumber, std::uint32_t location)>;
bool forEachFtdiChannel(ftdi_context* context, const FtdiChannelVisitor& visit);

// Every channel in the order of their locations, described by the USB product string: taken
// from <sysRoot>/bus/usb/devices without opening the device, else read from the device.
FtStatus listFtdiChannels(const std::string& sysRoot, std::vector<FtdiChannel>& channels);

} // namespace qs40
