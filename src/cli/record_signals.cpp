#include "cli/record_signals.h"

namespace qs40::cli {
namespace {

volatile std::sig_atomic_t gReceived = 0;

extern "C" void noteSignal(int signal) {
    gReceived = signal;
}

} // namespace

StopSignals::StopSignals() {
    gReceived = 0;
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &oldInt_);
    ::sigaction(SIGTERM, &action, &oldTerm_);
}

StopSignals::~StopSignals() {
    ::sigaction(SIGINT, &oldInt_, nullptr);
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
}

int StopSignals::received() const {
    return gReceived;
}

} // namespace qs40::cli
