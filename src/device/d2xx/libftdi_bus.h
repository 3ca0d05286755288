// The FTDI bus as libftdi1 and libusb see it: the chips libftdi1 drives, listed with the product
// strings from sysfs (see ftdi_devices.h), opened with the kernel's ftdi_sio detached while the
// channel is open.
#pragma once

#include "device/d2xx/ftdi_bus.h"

#include <memory>
#include <string>

namespace qs40 {

// sysRoot: where the product strings are looked up without opening the devices.
std::unique_ptr<FtdiBus> libftdiBus(std::string sysRoot);

} // namespace qs40
