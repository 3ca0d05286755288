// SIGINT and SIGTERM while qs40-cli records: the handler only notes the signal, and the
// recording loop, which looks at it between frames, ends the recording cleanly (the file
// closed, its text file written) instead of the process dying with the file half-described.
#pragma once

#include <csignal>

namespace qs40::cli {

class StopSignals {
public:
    // Installs the handlers; one object at a time.
    StopSignals();
    // Restores the handlers there were before.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that came, or 0.
    int received() const;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

} // namespace qs40::cli
