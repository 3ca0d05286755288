// What the commands that run the instrument share: the configuration file read as the window
// reads it, the front panel set up from it and the settings, and the instrument named on the
// command line with the run over it.
#pragma once

#include "cli/cli_options.h"
#include "cli/instrument_run.h"
#include "device/d2xx/d2xx.h"
#include "files/ini_file.h"
#include "scope/ui_port.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace qs40::cli {

struct CliEnvironment;

// The configuration file's contents, kept to be read again for the instrument's variant. A file
// named with --config must be read and hold a configuration (exit status otherwise); the
// default one may be missing, and when it is there but cannot be read the run goes on and says
// so.
int loadConfiguration(const CliOptions& o, const CliEnvironment& env, IniFile& configuration,
                      std::ostream& err);

// The state the window has after its start-up, for a variant: the configuration read for that
// variant (for the configuration's own when none is given), the service switches, the variant's
// controls, then the settings file as "Open Settings" reads it. The model's objects stay where
// they are: the instrument run refers to them. False when the settings file was refused (a box
// said why).
bool setUpModel(const IniFile& configuration, std::optional<std::int32_t> variant,
                const std::string& settingsFile, ScopeModel& model, Ui& ui);

// The device the command line names and the run over it, with the FPGA image from beside the
// program. The run goes (and with it the handle) before the device it uses.
struct InstrumentConnection {
    std::unique_ptr<D2xx> d2xx;
    std::unique_ptr<InstrumentRun> run;
};

// Nothing is opened yet. Exit status: kExitBadInput without a usable FPGA image, kExitUsage for
// a device text that names no device.
int connectInstrument(const CliOptions& o, const CliEnvironment& env, Ui& ui, ScopeModel& model,
                      const std::string& caption, InstrumentConnection& connection,
                      std::ostream& err);

} // namespace qs40::cli
