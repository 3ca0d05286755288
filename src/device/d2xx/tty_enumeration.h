// Finds the serial devices the serial-port backend offers: one explicit path, or every
// /dev/ttyUSBn with its USB product string as description.
//
// Location identifiers of scanned devices come from the USB topology in sysfs, packed as
// usb_listing.h says, so that a device keeps its location when it is unplugged and plugged
// into the same port again, and has the same location in the libftdi1 backend:
//
//     bits 24..31  USB bus number (busnum)
//     bits  4..23  the port chain of devpath, one nibble per hub level ("1.4" -> 0x14)
//     bits  0..3   the interface number of the tty (bInterfaceNumber; channel of a dual chip)
//
// Bus 1, devpath "1.4", interface 0 gives 0x01000140. When sysfs lacks those files or a value
// does not fit its field, the location is the tty number plus 1 (ttyUSB3 -> 4), which stays
// below 0x01000000 and so never meets a topology location.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qs40 {

// Roots of the device and sysfs trees; tests point them at a fake tree.
struct TtyRoots {
    std::string dev = "/dev";
    std::string sys = "/sys";
};

struct TtyDevice {
    std::string path;        // the tty node to open
    std::string description; // at most 63 characters
    std::uint32_t location = 0;
    std::string usbNode; // /dev/bus/usb/BBB/DDD of the USB device, empty when unknown
};

// What sysfs says about a tty's USB device.
struct TtyUsbInfo {
    std::string product;
    std::uint32_t location = 0;
    std::string usbNode;
};

inline constexpr std::uint32_t kExplicitTtyLocation = 1;

// The number n of a name "ttyUSBn", or nothing for any other name.
std::optional<unsigned> ttyUsbNumber(const std::string& name);

// Looks up tty `name` (e.g. "ttyUSB0") under <sys>/class/tty; nothing when it has no USB device.
std::optional<TtyUsbInfo> ttyUsbInfo(const TtyRoots& roots, const std::string& name);

// Every <dev>/ttyUSBn in ascending n.
std::vector<TtyDevice> scanTtyUsb(const TtyRoots& roots);

// The one device at an explicit path, described as the instrument; empty when the path does
// not exist.
std::vector<TtyDevice> explicitTty(const TtyRoots& roots, const std::string& path);

} // namespace qs40
