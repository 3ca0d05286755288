// Serves the simulated instrument on a pseudo-terminal, so that a program that talks to a serial
// device (the serial-port backend, a terminal) can reach it. The master side is ours; clients
// open the slave path. Output is paced by the instrument's output line at the real byte rate.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "sim/instrument.h"

namespace qs40::sim {

class PtyServer {
public:
    explicit PtyServer(InstrumentConfig config,
                       std::shared_ptr<const InputSignals> signals = nullptr);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the pseudo-terminal in raw mode; false with a reason on failure.
    bool open(std::string& error);
    const std::string& slavePath() const { return slavePath_; }

    // Waits up to `wait` for the host, takes what it wrote, sends what is due.
    void serveOnce(std::chrono::milliseconds wait);

    // For fault injection; call from the serving thread.
    Instrument& instrument() { return instrument_; }

private:
    SimTime elapsed() const;

    Instrument instrument_;
    std::chrono::steady_clock::time_point start_;
    int master_ = -1;
    int slave_ = -1; // kept open so that the master never sees a hang-up between clients
    std::string slavePath_;
    std::vector<std::uint8_t> pending_; // taken from the line, not yet accepted by the terminal
};

} // namespace qs40::sim
