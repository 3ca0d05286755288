// Options of the simulated instrument, and the device text that selects them.
//
// Device text: "sim" or "sim:" followed by comma-separated key=value options:
//   variant=CODE       variant code, decimal or 0x-hex (e.g. 31, 0x3F); default 31
//   devices=LIST       attached USB devices in enumeration order, joined by '+':
//                      zr40 (the instrument, "Digital Oscilloscope ZR40"), foreign (another FTDI
//                      device, "FT232R USB UART"), old (the older "Digital Oscilloscope");
//                      default zr40
//   pace=real|fast     real: the link's 200000 bytes per second; fast: unpaced; default real
//   serial=HEX         serial number reported in the status; default 12345
// Example: "sim:variant=63,devices=foreign+zr40,pace=fast".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instrument.h"

namespace qs40::sim {

enum class AttachedDevice : std::uint8_t { Zr40, Foreign, OldScope };

// Description texts the devices report.
inline constexpr const char* kZr40Description = "Digital Oscilloscope ZR40";
inline constexpr const char* kOldScopeDescription = "Digital Oscilloscope";
inline constexpr const char* kForeignDescription = "FT232R USB UART";

enum class SimClock : std::uint8_t {
    Realtime, // a background thread follows the wall clock
    Manual,   // time moves only when the owner calls advance()
};

struct SimOptions {
    InstrumentConfig instrument;
    std::vector<AttachedDevice> devices{AttachedDevice::Zr40};
    SimClock clock = SimClock::Realtime;
};

// Parses a device text as described above; nullopt with *error set when it is not one.
std::optional<SimOptions> parseSimDeviceText(std::string_view text, std::string* error = nullptr);

} // namespace qs40::sim
