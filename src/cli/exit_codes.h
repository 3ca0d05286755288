// The exit statuses of qs40-cli, one per class of failure, so that a script can tell a missing
// instrument from a time-out or a full disk without reading the message.
#pragma once

namespace qs40::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailure = 1,  // anything not listed below (an unexpected error)
    kExitUsage = 2,    // the command line cannot be used, or asks what the instrument lacks
    kExitDevice = 3,   // no instrument, it cannot be opened, or the link failed
    kExitTimeout = 4,  // the instrument did not come up, or a frame did not, within --timeout
    kExitBadInput = 5, // a settings, configuration, data, recorder or FPGA image file is unusable
    kExitWrite = 6,    // an output file (or its companion) was not written
};

} // namespace qs40::cli
