// qs40 [--device DEV] [FILE]: the control and display program of the ZR40 oscilloscopes.
#include "main/main_window.h"
#include "main/program_options.h"
#include "main/single_instance.h"
#include "scope/variant.h"
#include "sim/device_choice.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <exception>

#include <unistd.h>

namespace {

// After the first paint has opened the instrument and the plot has been drawn.
constexpr int kScreenshotDelayMs = 700;

void printError(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

int run(QApplication& app, const qs40::ProgramOptions& options) {
    using namespace qs40;
    const QString executable = QApplication::applicationFilePath();
    SingleInstance instance(instanceName(executable, getuid()));
    if (instance.claim() == SingleInstance::Role::Second) {
        // The running instance decides what to do with it; this start ends either way.
        instance.handOver(static_cast<int>(options.files.size()), options.lastFile());
        return 0;
    }

    std::string error;
    const auto d2xx = makeD2xx(deviceTextOrDefault(options.device.toStdString()), error);
    if (!d2xx) {
        printError("qs40: " + QString::fromStdString(error));
        return 2;
    }

    StartOptions start;
    start.executablePath = executable.toStdString();
    start.fileToOpen = options.lastFile().toStdString();
    // The configuration file's reader and writer plug in here (start.loadConfiguration,
    // start.saveConfiguration); until then the defaults stand.
    start.russian = options.russian;
    start.variant = options.variant;

    TQS4003MFrm window(std::move(start), *d2xx, nullptr, &instance);
    QObject::connect(&instance, &SingleInstance::handedOver, &window, &TQS4003MFrm::fileHandedOver);
    window.show();
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(kScreenshotDelayMs, &window, [&window, &options, &app] {
            if (!window.grab().save(options.screenshot))
                printError("qs40: cannot save " + options.screenshot);
            app.quit();
        });
    }
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(
        QFileInfo(QApplication::applicationFilePath()).completeBaseName());
    QApplication::setApplicationVersion(
        QString::fromStdString(qs40::versionText(qs40::kSoftwareVersion)));

    const qs40::ProgramOptions options = qs40::parseProgramOptions(QApplication::arguments());
    if (!options.error.isEmpty()) {
        printError("qs40: " + options.error);
        printError(options.helpText);
        return 2;
    }
    if (options.help) {
        std::fputs(options.helpText.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s %s\n", qPrintable(QApplication::applicationName()),
                    qPrintable(QApplication::applicationVersion()));
        return 0;
    }
    try {
        return run(app, options);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), e.what());
        return 1;
    }
}
