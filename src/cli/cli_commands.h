// The commands of qs40-cli, as functions of the parsed options and two streams, so that tests
// run them in-process. Each returns the exit status (cli/exit_codes.h) and reports a failure
// in one line on `err`.
#pragma once

#include "cli/cli_options.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace qs40::cli {

// Where the program runs from: its folder holds zr40-fpga.bin, and its name decides the
// default configuration file.
struct CliEnvironment {
    std::filesystem::path executable;
};

// The running executable.
CliEnvironment currentEnvironment();

// The configuration file read when --config names none: the window program's (qs40 beside
// this executable), where the instrument's calibration values and variant are kept.
std::filesystem::path defaultConfigurationFile(const std::filesystem::path& executable);

// The whole program: parses args (without the program name) and runs the command.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliEnvironment& environment);

int runList(const CliOptions& options, std::ostream& out, std::ostream& err);
int runAcquire(const CliOptions& options, std::ostream& out, std::ostream& err,
               const CliEnvironment& environment);
int runInfo(const CliOptions& options, std::ostream& out, std::ostream& err);
int runConvert(const CliOptions& options, std::ostream& out, std::ostream& err);
int runCalibrate(const CliOptions& options, std::ostream& out, std::ostream& err,
                 const CliEnvironment& environment);
int runRecord(const CliOptions& options, std::ostream& out, std::ostream& err,
              const CliEnvironment& environment);

} // namespace qs40::cli
