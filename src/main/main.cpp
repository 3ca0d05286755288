// qs40 [--device DEV] [FILE]: the control and display program of the ZR40 oscilloscopes.
#include "main/main_window.h"
#include "main/program_options.h"
#include "main/qt_ui.h"
#include "main/single_instance.h"
#include "main/termination_signals.h"
#include "device/link/fpga_image.h"
#include "files/config_io.h"
#include "files/config_location.h"
#include "scope/variant.h"
#include "sim/device_choice.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <optional>
#include <exception>

#include <unistd.h>

namespace {

// After the first paint has opened the instrument and the plot has been drawn.
constexpr int kScreenshotDelayMs = 2500;

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

    FpgaImage image = findFpgaImage({}, executableDir());
    if (!image.ok()) {
        printError("qs40: " + QString::fromStdString(image.error));
        return 2;
    }

    StartOptions start;
    start.executablePath = executable.toStdString();
    start.fileToOpen = options.lastFile().toStdString();
    start.configurationPath = configurationFilePath(start.executablePath).string();
    start.loadConfiguration = [](ScopeState& state, const std::string& path, bool variantFirst) {
        return readConfigurationFile(path, state, ConfigMode::Configuration, variantFirst);
    };
    // The configuration's error box has no window of its own to belong to.
    QtUi configurationUi;
    start.saveConfiguration = [&configurationUi, title = applicationTitle(start.executablePath)](
                                  const ScopeState& state, const std::string& path) {
        writeConfigurationFile(path, state, ConfigMode::Configuration, configurationUi, title);
    };
    start.fpgaImage = std::move(image.bytes);
    start.russian = options.russian;
    start.variant = options.variant;
    start.compact = options.compact;
    start.generatorView = options.generatorView;
    start.run = options.run;
    // The language a user reads: LANGUAGE, LC_ALL, LC_MESSAGES or LANG.
    start.systemLocale = QLocale::system().uiLanguages().value(0).toStdString();

    TQS4003MFrm window(std::move(start), *d2xx, nullptr, &instance);
    const TerminationSignals termination;
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

// Help and version need no display: they are answered before the GUI is set up.
bool asksForTextOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"-h", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

void nameApplication() {
    QCoreApplication::setApplicationName(
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QCoreApplication::setApplicationVersion(
        QString::fromStdString(qs40::versionText(qs40::kSoftwareVersion)));
}

// Prints help, version or the command line's error; nullopt when the program is to start.
std::optional<int> answerWithoutWindow(const qs40::ProgramOptions& options) {
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
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (asksForTextOnly(argc, argv)) {
        QCoreApplication core(argc, argv);
        nameApplication();
        return answerWithoutWindow(qs40::parseProgramOptions(QCoreApplication::arguments()))
            .value_or(0);
    }
    QApplication app(argc, argv);
    nameApplication();
    // The desktop matches the window to its entry, icon and file types by this name.
    QGuiApplication::setDesktopFileName(QS40_APP_ID);
    QApplication::setWindowIcon(QIcon(":/" QS40_APP_ID ".svg"));
    const qs40::ProgramOptions options = qs40::parseProgramOptions(QApplication::arguments());
    if (const auto answered = answerWithoutWindow(options))
        return *answered;
    try {
        return run(app, options);
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), e.what());
        return 1;
    }
}
