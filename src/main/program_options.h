// The command line of qs40: qs40 [--device DEV] [FILE...]. Only the last FILE is used.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace qs40 {

struct ProgramOptions {
    QString device;    // empty: QS40_DEVICE, else "usb"
    QStringList files; // the command line's file arguments
    bool run = false;  // press Run once the instrument is open
    bool help = false;
    bool version = false;
    QString helpText;
    QString error; // set when the command line cannot be used
    // Start in a language or for a variant other than the configured one.
    // Hidden, for looking at the window: save a picture of it after start and end; a view.
    QString screenshot;
    std::optional<bool> russian;
    std::optional<std::int32_t> variant;
    std::optional<bool> compact;       // --view compact
    std::optional<bool> generatorView; // --view nogen: without the generator

    // The file to open: the last file argument, or empty.
    QString lastFile() const { return files.isEmpty() ? QString() : files.constLast(); }
};

// arguments: the whole command line, the program first.
ProgramOptions parseProgramOptions(const QStringList& arguments);

} // namespace qs40
