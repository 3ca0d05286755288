// What the commands that run the instrument from a settings file share: the configuration file
// read as the window reads it, and the front panel set up from it and the settings.
#pragma once

#include "cli/cli_options.h"
#include "cli/instrument_run.h"
#include "files/ini_file.h"
#include "scope/ui_port.h"

#include <cstdint>
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

} // namespace qs40::cli
