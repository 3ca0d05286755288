#include "main/program_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace qs40 {
namespace {

QCommandLineOption hidden(QCommandLineOption option) {
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

} // namespace

ProgramOptions parseProgramOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Control and display program of the ZR40 oscilloscopes.");
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption device(
        "device",
        "The instrument: usb (default: attached devices), ftdi (attached devices through "
        "libftdi1), sim[:options] (the simulated instrument; sim:fault=unplug,every=20s makes it "
        "fail every 20 s, see the README) or tty:PATH (a serial device). "
        "Default: $QS40_DEVICE, else usb.",
        "DEV");
    const QCommandLineOption run("run", "Start the acquisition (Run) once the instrument is open.");
    const QCommandLineOption screenshot = hidden({"screenshot", "Save a picture and end.", "FILE"});
    const QCommandLineOption language("language", "Captions in en or ru (default: as configured).",
                                      "LANG");
    const QCommandLineOption variant(
        "variant", "Build the window for this instrument variant code (e.g. 31, 0x3F).", "CODE");
    const QCommandLineOption view = hidden({"view", "normal, compact or nogen.", "VIEW"});
    parser.addOption(device);
    parser.addOption(run);
    parser.addOption(view);
    parser.addOption(screenshot);
    parser.addOption(language);
    parser.addOption(variant);
    parser.addPositionalArgument("FILE", "A data file (.qsd) or settings file (.qss) to open.",
                                 "[FILE]");

    ProgramOptions result;
    result.helpText = parser.helpText();
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    result.help = parser.isSet(helpOption);
    result.version = parser.isSet(versionOption);
    result.device = parser.value(device);
    result.files = parser.positionalArguments();
    result.run = parser.isSet(run);
    result.screenshot = parser.value(screenshot);
    if (parser.isSet(view)) {
        const QString value = parser.value(view);
        if (value == "normal" || value == "compact" || value == "nogen") {
            result.compact = value == "compact";
            result.generatorView = value != "nogen";
        } else {
            result.error = "--view takes normal, compact or nogen";
        }
    }
    if (parser.isSet(language)) {
        const QString value = parser.value(language);
        if (value == "en" || value == "ru")
            result.russian = value == "ru";
        else
            result.error = "--language takes en or ru";
    }
    if (parser.isSet(variant)) {
        bool ok = false;
        const int code = parser.value(variant).toInt(&ok, 0);
        if (ok && code >= 0 && code <= 0xFFFF)
            result.variant = code;
        else
            result.error = "--variant takes a variant code, as 31 or 0x3F";
    }
    return result;
}

} // namespace qs40
