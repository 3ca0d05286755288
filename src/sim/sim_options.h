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
//   ppm=X              error of the instrument's reference clock in ppm, as the frequency
//                      meter sees it (positive: the clock runs fast, readings come out low);
//                      -1000 to 1000, decimals allowed; default 12
//   a1=SRC, a2=SRC, d1=SRC, d2=SRC
//                      what is connected to each input (the others keep the demo's sources):
//     sine:F[:A[:O[:P]]]   also square, triangle, rsaw (rising saw), fsaw (falling saw):
//                          frequency F Hz, A volts peak (default 1), offset O volts (0),
//                          phase P degrees (0)
//     clock:F[:D[:P]]      logic clock of 0 and 3.3 V, high for the fraction D (0.5)
//     dc:V                 V volts
//     noise:B[:A[:O]]      uniform noise up to B Hz, A volts peak (1) around O volts (0)
//     gen                  the instrument's own generator output, looped back
//     off                  nothing connected
//                      Numbers take a k (x 1000) or M (x 1000000) suffix. A digital input is
//                      high above 1.4 V. The demo: a1=sine:1k:1.8,a2=gen,d1=clock:10k,
//                      d2=clock:2.5k:0.2.
//   fault=LIST         faults the (first) instrument goes through by itself, joined by '+'
//                      and taken in turn, one each time (fault_schedule.h); the host sees them
//                      as it would see the real ones:
//     unplug             the instrument leaves the bus and comes back when the fault ends
//     power              its status reports a power failure until the fault ends
//     config             its FPGA loses the configuration
//     checksum           every packet has a wrong check byte until the fault ends
//     garbage            64 noise bytes (never 0xFF) before every packet until the fault ends
//   at=TIME            when the first fault begins; default 5s
//   every=TIME         a fault begins every TIME; default: one fault only
//   for=TIME           how long a fault lasts, shorter than every; default 1s, so that an
//                      unplugged instrument is back when the recovery opens it again (a second
//                      after its port reset); a longer one makes that open find nothing
//                      TIME is a number of seconds, or of milliseconds with ms: 20, 20s, 500ms,
//                      1.5s, on the simulated instrument's clock from its start.
// Examples: "sim:variant=63,devices=foreign+zr40,pace=fast",
//           "sim:a1=sine:1k:2.0,a2=gen,d1=clock:10k,d2=clock:3k",
//           "sim:fault=unplug,every=20s", "sim:fault=power+config+checksum,at=2s,every=10s,for=3s".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/fault_schedule.h"
#include "sim/instrument.h"

namespace qs40::sim {

inline constexpr double kMaxClockErrorPpm = 1000.0;

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
    FaultPlan faults;
};

// Parses a device text as described above; nullopt with *error set when it is not one.
std::optional<SimOptions> parseSimDeviceText(std::string_view text, std::string* error = nullptr);

} // namespace qs40::sim
