#include "sim/device_choice.h"

#include <cstdlib>

#include "device/d2xx/ftdi_backend.h"
#include "device/d2xx/tty_backend.h"
#include "sim/sim_d2xx.h"
#include "sim/sim_options.h"

namespace qs40 {

std::string deviceTextOrDefault(std::string_view commandLine) {
    if (!commandLine.empty())
        return std::string(commandLine);
    if (const char* env = std::getenv(kDeviceEnvironmentVariable); env != nullptr && *env != 0)
        return env;
    return kDefaultDeviceText;
}

std::unique_ptr<D2xx> makeD2xx(std::string_view text, std::string& error) {
    error.clear();
    if (text == "usb")
        return TtyD2xx::scanning();
    if (text == "ftdi")
        return std::make_unique<FtdiD2xx>();
    if (text.starts_with("tty:")) {
        const std::string_view path = text.substr(4);
        if (path.empty()) {
            error = "tty: needs the path of a serial device, as in tty:/dev/ttyUSB0";
            return nullptr;
        }
        return TtyD2xx::forPath(std::string(path));
    }
    if (text == "sim" || text.starts_with("sim:")) {
        auto options = sim::parseSimDeviceText(text, &error);
        if (!options)
            return nullptr;
        return std::make_unique<sim::SimD2xx>(std::move(*options));
    }
    error = "unknown device '" + std::string(text) + "': use usb, ftdi, sim[:options] or tty:PATH";
    return nullptr;
}

} // namespace qs40
