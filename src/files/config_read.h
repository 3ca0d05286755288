// What reading the configuration file found. The file holds calibration values and service
// switches edited by hand, so a file that is there but was not taken (it cannot be read, or it
// holds no configuration) is kept: it reads as an empty document, and writing that document
// back would lose them.
#pragma once

#include "files/ini_file.h"

#include <filesystem>

namespace qs40 {

enum class ConfigReadStatus {
    Read,       // read (an empty file too)
    Missing,    // no file: the defaults stand, and the first write creates it
    Unreadable, // there, but it cannot be opened or read
    Unusable,   // read, but it is no configuration file
};

enum class ConfigProblem {
    None,
    NotRegularFile, // unreadable: a device, a named pipe or a socket
    NotText,        // unusable: it holds NUL bytes (a binary file, or text in UTF-16)
    TooLarge,       // unusable: longer than the INI layer reads, so a rewrite would cut it
    NoKnownSection, // unusable: not blank, but without any section of the format
};

struct ConfigReadResult {
    ConfigReadStatus status = ConfigReadStatus::Read;
    int error = 0; // errno for Missing and Unreadable (0 with a problem of our own)
    ConfigProblem problem = ConfigProblem::None;

    // There but not taken: never to be rewritten from what it read as.
    bool kept() const {
        return status == ConfigReadStatus::Unreadable || status == ConfigReadStatus::Unusable;
    }
};

struct ConfigDocument {
    IniFile ini; // what the INI layer made of the bytes; empty when none were read
    ConfigReadResult result;
};

// Reads and parses the file, and says what it found. The document holds whatever the INI layer
// parsed, as IniFile::load would give it, whatever the status.
ConfigDocument loadConfigurationDocument(const std::filesystem::path& path);

} // namespace qs40
