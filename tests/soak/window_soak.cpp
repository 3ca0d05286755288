// window_soak: the window offscreen over the in-process simulated instrument for a long run at
// "No Limit", with the faults the device text schedules; every box is answered Yes. Once a
// second it notes the frames drawn, the boxes answered and the resident memory; at the end it
// closes the window (which saves the configuration), reads the configuration back and prints a
// summary. Exit status 0 when every fault was answered and frames came back after each, the
// configuration reads back whole, and nothing crashed. Not part of the test run: scripts/soak
// builds and runs it.
//
//   window_soak [--device TEXT] [--seconds N] [--folder DIR]
#include "../device/scripted_ui.h"
#include "files/config_io.h"
#include "main/main_window.h"
#include "sim/sim_d2xx.h"
#include "sim/sim_options.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace qs40 {
namespace {

struct Options {
    std::string device = "sim:variant=63";
    int seconds = 600;
    std::string folder;
};

// Resident memory of this process in KiB, from /proc.
long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

void serve(int ms) {
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

int soak(const Options& o) {
    std::string error;
    auto simOptions = sim::parseSimDeviceText(o.device, &error);
    if (!simOptions) {
        std::fprintf(stderr, "window_soak: %s\n", error.c_str());
        return 2;
    }
    sim::SimD2xx d2xx(std::move(*simOptions));
    testing::ScriptedUi ui; // Yes to every question
    const std::string config = o.folder + "/qs40.ini";

    StartOptions start;
    start.executablePath = o.folder + "/qs40";
    start.configurationPath = config;
    start.loadConfiguration = [](ScopeState& s, const std::string& path, bool variantFirst) {
        return readConfigurationFile(path, s, ConfigMode::Configuration, variantFirst);
    };
    start.saveConfiguration = [&ui](const ScopeState& s, const std::string& path) {
        writeConfigurationFile(path, s, ConfigMode::Configuration, ui, "qs40");
    };
    start.russian = false;
    start.variant = 63;

    // Each fault's box, and whether frames were drawn again after it.
    struct Fault {
        double at = 0;
        std::string text;
        double backAfter = -1; // seconds until the next drawn frame; -1 while none
        std::uint64_t drawnAt = 0;
    };
    std::vector<Fault> faults;
    const auto began = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    };

    auto window = std::make_unique<TQS4003MFrm>(std::move(start), d2xx, &ui);
    ui.whileShown = [&] {
        faults.push_back({elapsed(), ui.boxes.back().text, -1, window->framesDrawnTotal()});
    };
    window->show();
    window->findChild<QAction*>("Menu_FPS_NO_LIM")->trigger();
    serve(2000); // the first paint opens the instrument and loads the FPGA
    window->findChild<QAbstractButton*>("SpeedButton_Run")->click();

    const long rssStart = residentKiB();
    std::printf("%8s %10s %6s %9s\n", "seconds", "drawn", "boxes", "RSS KiB");
    for (int second = 1; second <= o.seconds; ++second) {
        serve(1000);
        const std::uint64_t drawn = window->framesDrawnTotal();
        for (Fault& f : faults)
            if (f.backAfter < 0 && drawn > f.drawnAt + 2)
                f.backAfter = elapsed() - f.at;
        if (second % 10 == 0 || second == o.seconds)
            std::printf("%8d %10llu %6zu %9ld\n", second, static_cast<unsigned long long>(drawn),
                        faults.size(), residentKiB());
        std::fflush(stdout);
    }
    const long rssEnd = residentKiB();
    const std::uint64_t drawnTotal = window->framesDrawnTotal();
    window->close();
    window.reset();

    ScopeState readBack;
    const ConfigReadResult read =
        readConfigurationFile(config, readBack, ConfigMode::Configuration, true);
    const bool configOk = read.status == ConfigReadStatus::Read && !read.kept() &&
                          readBack.System.Device_Type_Code == 63;

    int unanswered = 0;
    std::printf("\nfaults:\n");
    for (const Fault& f : faults) {
        std::string text = f.text;
        for (char& c : text)
            if (c == '\r' || c == '\n')
                c = ' ';
        std::printf("  %7.1f s  %-60s  frames back after %s\n", f.at, text.c_str(),
                    f.backAfter < 0 ? "never"
                                    : (std::to_string(f.backAfter).substr(0, 4) + " s").c_str());
        if (f.backAfter < 0)
            ++unanswered;
    }
    std::printf("\nframes drawn: %llu in %d s\n", static_cast<unsigned long long>(drawnTotal),
                o.seconds);
    std::printf("boxes answered: %zu, without frames afterwards: %d\n", faults.size(),
                unanswered);
    std::printf("resident memory: %ld KiB at the start, %ld KiB at the end\n", rssStart, rssEnd);
    std::printf("configuration: %s\n", configOk ? "reads back whole" : "DAMAGED");
    return unanswered == 0 && configOk && drawnTotal > 0 ? 0 : 1;
}

} // namespace
} // namespace qs40

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qs40::Options o;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--device")
            o.device = args[i + 1].toStdString();
        else if (args[i] == "--seconds")
            o.seconds = std::max(1, args[i + 1].toInt());
        else if (args[i] == "--folder")
            o.folder = args[i + 1].toStdString();
    }
    if (o.folder.empty())
        o.folder = QDir::tempPath().toStdString();
    return qs40::soak(o);
}
