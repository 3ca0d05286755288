// Saving the current frame as a data file (with its companion settings file) and opening one
// into the current set. Both run on the GUI thread while the scope is stopped; the caller marks
// the program busy around them.
#pragma once

#include "files/file_command_context.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace qs40 {

inline constexpr std::string_view kDataFileExtension = ".qsd";
inline constexpr std::string_view kCompanionExtension = ".qss";

// The flags of the variant check that an opened file of another variant sets.
struct DataFileVariantFlags {
    bool& askOnVariantChange;
    bool& announceVariantChange;
};

// The neighbours a data-file command calls.
struct DataFileHooks {
    // Recomputes the acquisition parameters and raises the display request.
    std::function<void()> recomputeAndDisplay;
    // The configuration reader in file mode.
    std::function<void(const std::string& path)> readSettings;
    // Waits while the GUI handles its events, so that the opened frame is drawn before the
    // companion question. Empty: the Ui's processMessages for the time asked.
    std::function<void(std::chrono::milliseconds)> wait;
};

struct DataFileContext {
    FileCommandContext files;
    DataFileVariantFlags variant;
    DataFileHooks hooks;
};

// The companion settings file of a data file: the same path with the extension ".qss".
std::string companionSettingsName(const std::string& dataFilePath);

enum class DataFileSaveResult {
    Cancelled,       // the dialog was closed
    Failed,          // the data file could not be written; any old file is intact
    Saved,           // data file and companion written
    CompanionKept,   // data file written; the existing companion was not to be replaced
    CompanionFailed, // data file written; the companion could not be written, any old one intact
};

// Menu_Save_As: asks for the name and saves.
DataFileSaveResult saveDataFileCommand(DataFileContext& context);
// Saves the current set to `path` and writes the companion: the scope state in file mode. Each
// of the two files is replaced in one step, so that whenever the save stops (an error, the
// program killed) each is either its old complete self or its new complete self.
DataFileSaveResult saveDataFile(DataFileContext& context, const std::string& path);

enum class DataFileOpenResult {
    Cancelled,     // the dialog was closed
    NotFound,      // nothing at the path; the current set is untouched
    Unreadable,    // there but not readable (a folder, a named pipe, a device, no permission, a
                   // read error); the current set is untouched
    InvalidFormat, // wrong mark; the current set is untouched
    ChecksumError, // the header is damaged; the current set is reset
    Loaded,        // the frame is in the current set
};

// Menu_Open: asks for the name and opens.
DataFileOpenResult openDataFileCommand(DataFileContext& context);
// Opens `path` (also for the command line and the hand-over from a second start). After
// Loaded the caller sets ScrollBar_X_POS to 0 and applies the state as after a control click
// (running and single from the Run and Single buttons, recompute, update the instrument).
DataFileOpenResult openDataFile(DataFileContext& context, const std::string& path);

} // namespace qs40
