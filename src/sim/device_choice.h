// Chooses the D2XX backend from the device text of the command line or of QS40_DEVICE:
//   usb          the attached FTDI devices, through the kernel's serial driver (/dev/ttyUSBn)
//   ftdi         the attached FTDI devices, directly over USB through libftdi1
//   sim[:opts]   the simulated instrument (options: sim/sim_options.h)
//   tty:PATH     one serial device, taken to be the instrument
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "device/d2xx/d2xx.h"

namespace qs40 {

inline constexpr const char* kDeviceEnvironmentVariable = "QS40_DEVICE";
inline constexpr const char* kDefaultDeviceText = "usb";

// The device text given on the command line, or QS40_DEVICE, or "usb".
std::string deviceTextOrDefault(std::string_view commandLine);

// The backend for a device text; null with a one-line reason in `error` when the text names
// none.
std::unique_ptr<D2xx> makeD2xx(std::string_view deviceText, std::string& error);

} // namespace qs40
