// How a USB device appears in the device listing, shared by the backends that reach USB
// devices, so that one device has the same location and description whichever way it is
// reached.
//
// Location identifiers come from the USB topology, so that a device keeps its location when it
// is unplugged and plugged into the same port again:
//
//     bits 24..31  USB bus number
//     bits  4..23  the port chain, one nibble per hub level (ports 1, 4 -> 0x14)
//     bits  0..3   the interface number (the channel of a dual or quad chip)
//
// Bus 1, ports 1.4, interface 0 gives 0x01000140. Such a location is never below 0x01000000, so
// the fall-back numbers of a backend (for devices whose topology does not fit) stay below it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qs40 {

inline constexpr std::uint32_t kFirstTopologyLocation = 0x01000000;

// Nothing when the bus is 0 or above 255, the interface above 15, a port 0 or above 15, or the
// chain empty or longer than five hubs.
std::optional<std::uint32_t> packUsbLocation(unsigned bus, std::span<const std::uint8_t> ports,
                                             unsigned interfaceNumber);

// The kernel's name of the USB device at bus and port chain, as under /sys/bus/usb/devices:
// bus 1, ports 1.4 -> "1-1.4".
std::string usbSysfsName(unsigned bus, std::span<const std::uint8_t> ports);

// The product string sysfs holds for that device (read without opening the device); nothing
// when there is none.
std::optional<std::string> usbSysfsProduct(const std::string& sysRoot, unsigned bus,
                                           std::span<const std::uint8_t> ports);

// The description buffer holds 63 characters and the terminating zero; the cut never splits a
// UTF-8 sequence.
std::string fitDescription(std::string text);

} // namespace qs40
