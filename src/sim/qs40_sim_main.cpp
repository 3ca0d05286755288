// qs40-sim: the simulated ZR40 on a pseudo-terminal. Prints the terminal's path on one line and
// serves until SIGINT or SIGTERM. SIGUSR1 makes the instrument lose its FPGA configuration;
// SIGUSR2 switches a power failure on and off.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sim/pty_server.h"
#include "sim/sim_options.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t loseConfig = 0;
volatile std::sig_atomic_t togglePower = 0;

void onSignal(int sig) {
    if (sig == SIGUSR1)
        loseConfig = 1;
    else if (sig == SIGUSR2)
        togglePower = 1;
    else
        stopRequested = 1;
}

void usage(std::FILE* to) {
    std::fputs("usage: qs40-sim [--variant CODE] [--pace real|fast] [--inputs LIST] "
               "[--garbage BYTES] [--corrupt PACKETS]\n"
               "Serves a simulated ZR40 on a pseudo-terminal and prints its path.\n"
               "  --variant CODE     variant code (decimal or 0x-hex), default 31\n"
               "  --pace real|fast   byte rate of the real link (default) or unpaced\n"
               "  --inputs LIST      what is on the inputs, as in the device text: "
               "a1=sine:1k:2.0,a2=gen,d1=clock:10k,d2=clock:3k\n"
               "  --garbage BYTES    noise bytes before every packet\n"
               "  --corrupt PACKETS  send the first PACKETS packets with a wrong check byte\n"
               "Signals: SIGUSR1 loses the FPGA configuration, SIGUSR2 toggles a power "
               "failure, SIGINT/SIGTERM end.\n",
               to);
}

bool parseCount(const char* text, unsigned long& out) {
    char* end = nullptr;
    out = std::strtoul(text, &end, 0);
    return end && *end == '\0' && *text != '\0' && *text != '-';
}

} // namespace

int main(int argc, char** argv) {
    std::string text = "sim:";
    unsigned long garbage = 0, corrupt = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            usage(stdout);
            return 0;
        } else if (arg == "--variant" && hasValue) {
            text += std::string("variant=") + argv[++i] + ",";
        } else if (arg == "--pace" && hasValue) {
            text += std::string("pace=") + argv[++i] + ",";
        } else if (arg == "--inputs" && hasValue) {
            text += std::string(argv[++i]) + ",";
        } else if (arg == "--garbage" && hasValue && parseCount(argv[i + 1], garbage)) {
            ++i;
        } else if (arg == "--corrupt" && hasValue && parseCount(argv[i + 1], corrupt)) {
            ++i;
        } else {
            std::fprintf(stderr, "qs40-sim: bad argument: %s\n", arg.c_str());
            usage(stderr);
            return 2;
        }
    }
    if (text.back() == ',')
        text.pop_back();
    std::string error;
    const auto options = qs40::sim::parseSimDeviceText(text, &error);
    if (!options) {
        std::fprintf(stderr, "qs40-sim: %s\n", error.c_str());
        return 2;
    }
    if (!options->faults.faults.empty()) {
        // The terminal cannot leave and come back under the same path; the signals and
        // --garbage, --corrupt give the other faults here.
        std::fprintf(stderr, "qs40-sim: fault= is for the built-in simulated instrument "
                             "(--device sim:fault=...); use the signals, --garbage and "
                             "--corrupt here\n");
        return 2;
    }

    qs40::sim::PtyServer server(options->instrument);
    if (!server.open(error)) {
        std::fprintf(stderr, "qs40-sim: %s\n", error.c_str());
        return 1;
    }
    server.instrument().setGarbageBetweenPackets(garbage);
    server.instrument().corruptNextPackets(static_cast<int>(corrupt));

    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2})
        sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::printf("%s\n", server.slavePath().c_str());
    std::fflush(stdout);

    bool powerFailure = false;
    while (!stopRequested) {
        if (loseConfig) {
            loseConfig = 0;
            server.instrument().loseConfiguration();
        }
        if (togglePower) {
            togglePower = 0;
            powerFailure = !powerFailure;
            server.instrument().setPowerFailure(powerFailure);
        }
        server.serveOnce(std::chrono::milliseconds(2));
    }
    return 0;
}
