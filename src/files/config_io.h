// The configuration reader and writer: the only code that maps the scope state to INI keys. In
// configuration mode they serve the configuration file (calibration values, colours, language,
// service switches and instrument information included); in file mode they serve settings
// files and the companion settings of data files (front-panel settings and marker positions
// only).
#pragma once

#include "files/config_keys.h"
#include "files/config_read.h"
#include "files/ini_file.h"
#include "scope/scope_state.h"

#include <filesystem>
#include <string>

namespace qs40 {

class Ui;

// Loads the state from the document. Missing keys keep the field's value (or take the key's
// literal default); group keys are applied one by one, so the last true member wins. With
// variantFirst, Device_Type_Code is read first and its capability bits decide what else is
// read; otherwise the current code's bits decide. [System] is read in configuration mode only.
void readConfiguration(const IniFile& ini, ScopeState& state, ConfigMode mode, bool variantFirst);

// Stores the state into the document: [Common], [Scope], [Trigger], [Calibrate], [Generator],
// [FFT] and [Colors] are erased and written again at the end in that order; [System] is updated
// in place, so hand-edited service switches survive.
void writeConfiguration(IniFile& ini, const ScopeState& state, ConfigMode mode);

// The text of a document with the state stored into it, as the file writers below write it; a
// data file's companion is the state in file mode in a new document.
std::string configurationText(const ScopeState& state, ConfigMode mode, IniFile document = {});

// Reads the file and says what it found. A missing or unreadable file reads as an empty one;
// whatever the INI layer parsed is read, so an unusable file reads as what it parsed to.
ConfigReadResult readConfigurationFile(const std::filesystem::path& path, ScopeState& state,
                                       ConfigMode mode, bool variantFirst);

// Writes the state into the file, keeping what else it holds, and replaces the file atomically.
// In configuration mode a missing folder is created first. A file that is there but cannot be
// read or is no configuration file (ConfigReadResult::kept) is not replaced, since what it holds
// would be lost. A failure is shown in an error box (stop icon, OK, errorCaption) with the
// failure's own message; the old file stays as it was. Returns true when the file was written.
bool writeConfigurationFile(const std::filesystem::path& path, const ScopeState& state,
                            ConfigMode mode, Ui& ui, const std::string& errorCaption);

// The same, starting from a given document instead of the file's contents (a settings file
// starts from its header section, a data file's companion from nothing).
bool writeConfigurationFile(const std::filesystem::path& path, IniFile document,
                            const ScopeState& state, ConfigMode mode, Ui& ui,
                            const std::string& errorCaption);

} // namespace qs40
