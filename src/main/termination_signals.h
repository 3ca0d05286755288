// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl+C in the terminal that started the program)
// close the program's windows the ordinary way, as the window's close box does: the acquisition
// thread is stopped and the configuration saved. The handler itself only writes a byte to a
// pipe; the GUI thread reads it and does the closing.
#pragma once

#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <memory>

namespace qs40 {

class TerminationSignals {
public:
    // Installs the handlers; one object at a time.
    TerminationSignals();
    // Restores the handlers there were before.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

private:
    static void onSignal(int signal);
    void closeWindows();

    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
    std::array<struct sigaction, kSignals.size()> previous_{};
};

} // namespace qs40
