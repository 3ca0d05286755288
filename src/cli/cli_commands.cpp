#include "cli/cli_commands.h"

#include "cli/cli_ui.h"
#include "cli/exit_codes.h"
#include "device/link/usb_texts.h"
#include "files/config_location.h"
#include "files/data_file_info.h"
#include "sim/device_choice.h"

#include <cstdio>
#include <memory>

namespace qs40::cli {
namespace {

// The window program, whose configuration this one reads.
constexpr const char* kWindowProgramName = "qs40";

int usageError(std::ostream& err, const std::string& error) {
    err << "qs40-cli: " << error << " (qs40-cli --help shows the usage)\n";
    return kExitUsage;
}

} // namespace

CliEnvironment currentEnvironment() {
    return {executablePath()};
}

std::filesystem::path defaultConfigurationFile(const std::filesystem::path& executable) {
    const std::filesystem::path folder =
        executable.has_parent_path() ? executable.parent_path() : std::filesystem::path(".");
    return configurationFilePath(folder / kWindowProgramName);
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment) {
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.error.empty())
        return usageError(err, parsed.error);
    const CliOptions& o = parsed.options;
    switch (o.command) {
    case Command::None:
        err << usageText();
        return kExitUsage;
    case Command::Help:
        out << usageText();
        return kExitOk;
    case Command::List:
        return runList(o, out, err);
    case Command::Acquire:
        return runAcquire(o, out, err, environment);
    case Command::Info:
        return runInfo(o, out, err);
    case Command::Convert:
        return runConvert(o, out, err);
    case Command::Calibrate:
        return runCalibrate(o, out, err, environment);
    case Command::Record:
        return runRecord(o, out, err, environment);
    }
    return kExitFailure;
}

int runList(const CliOptions& o, std::ostream& out, std::ostream& err) {
    std::string error;
    const std::unique_ptr<D2xx> d2xx = makeD2xx(deviceTextOrDefault(o.device), error);
    if (!d2xx)
        return usageError(err, error);
    std::uint32_t count = 0;
    if (const FtStatus status = d2xx->listDeviceCount(count); status != FT_OK) {
        err << "qs40-cli: the devices cannot be listed: " << usbErrorText(status, false) << '\n';
        return kExitDevice;
    }
    out << "Index  Location    Description\n";
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t location = 0;
        std::string description;
        const FtStatus locationStatus = d2xx->listLocation(i, location);
        const FtStatus descriptionStatus = d2xx->listDescription(i, description);
        char row[48];
        if (locationStatus == FT_OK)
            std::snprintf(row, sizeof row, "%-6u %-11u ", i, location);
        else
            std::snprintf(row, sizeof row, "%-6u %-11s ", i, "?");
        out << row
            << (descriptionStatus == FT_OK ? description
                                           : "? (" + usbErrorText(descriptionStatus, false) + ")")
            << '\n';
    }
    return kExitOk;
}

int runInfo(const CliOptions& o, std::ostream& out, std::ostream& err) {
    const DataFileDescription d = describeDataFile(o.infoFile);
    if (!d.valid) {
        err << "qs40-cli: " << oneLine(d.text) << '\n';
        return kExitBadInput;
    }
    out << d.text;
    return kExitOk;
}

} // namespace qs40::cli
