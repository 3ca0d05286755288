// The settings file (".qss"): a set of front-panel settings that the user keeps and exchanges
// apart from the configuration file. It is an INI file written in file mode after an empty
// header section, so it never carries calibration values, colours, service switches, the
// language or window options. Save and Open are operations over the state with the Ui port;
// the GUI marks itself busy around them and runs the apply step after a successful open.
#pragma once

#include "scope/scope_state.h"
#include "scope/ui_port.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace qs40 {

inline constexpr std::string_view kSettingsHeaderSection = "ZR40 SETTINGS FILE";
inline constexpr std::string_view kSettingsExtension = ".qss";

// Whether a file named on the command line is a settings file: its extension, the text from the
// name's last point on, is exactly ".qss" (letter case included; "A.QSS" is a data file).
bool hasSettingsExtension(std::string_view fileName);

// The dialogs, opened in the working folder. Save proposes the current data-file name with
// ".qss" while that name is valid, else "*.qss".
FileDialogRequest saveSettingsRequest(const ScopeState& state);
FileDialogRequest openSettingsRequest(const ScopeState& state);

// Writes the settings file: the header section, then the state in file mode. A file that
// cannot be opened for writing is reported in the "Can't open file for writing." box; a failure
// while writing in the platform's error box (errorCaption) with its own message; both with the
// system's reason. The previous file is replaced only by a complete new one. Returns true when
// the file was written.
bool writeSettingsFile(const std::filesystem::path& path, const ScopeState& state, Ui& ui,
                       const std::string& errorCaption);

// Menu "Save Settings...": the save dialog (the chosen file's folder becomes the working
// folder), then writeSettingsFile. Returns true when a file was written.
bool saveSettings(ScopeState& state, Ui& ui, const std::string& errorCaption);

// Open(file name): a file that is not there gets the "File not found." box, one that cannot be
// read (a folder, a named pipe, a device, no permission) a box with the system's reason; both
// without opening anything but a regular file. Otherwise the state is read in file mode (the file's
// variant code is not read; the current capability bits decide which keys are read). Returns true
// when the state was read: the caller then applies it as after a control click.
[[nodiscard]] bool openSettings(ScopeState& state, Ui& ui, const std::filesystem::path& path);

// Menu "Open Settings...": the open dialog (the chosen file's folder becomes the working
// folder), then openSettings. Returns true when the state was read.
[[nodiscard]] bool openSettingsFromDialog(ScopeState& state, Ui& ui);

} // namespace qs40
