// What the exports share: their context, the step texts they print, the no-data box and save
// dialog they start with, and the writing of the chosen file with the box that reports a failure.
#pragma once

#include "files/data_file_format.h"
#include "files/file_command_context.h"
#include "files/file_dialogs.h"
#include "files/file_replace.h"

#include <functional>
#include <optional>
#include <string>

namespace qs40 {

struct ExportContext {
    FileCommandContext files;
    std::string decimalSeparator = "."; // the locale's, for the step texts
};

enum class ExportResult {
    NoData,          // nothing to export; the box said so and no dialog was shown
    Cancelled,       // the dialog was closed
    Failed,          // the file could not be written; nothing was written
    Written,         // the file (and a raw export's companion) written
    CompanionKept,   // raw export: binary written, the existing companion not replaced
    CompanionFailed, // raw export: binary written, the companion could not be written
};

inline constexpr std::string_view kCrLf = "\r\n";

// The sample interval: field 1 x 10 ns, four significant digits.
std::string timeStepText(const FrameHeader& header, std::string_view decimalSeparator);
// The voltage of one sample code: volts per division / 32, four significant digits.
std::string voltageStepText(std::int32_t voltsPerDivision, std::string_view decimalSeparator);

// The first steps of an export of the current frame: when hasData finds nothing to export in
// the frame's header, the stop box "No data for writing." (`ended` is NoData); else the save
// dialog (`ended` is Cancelled when it is closed). The chosen path otherwise.
std::optional<std::string> chooseExportFile(ExportContext& context, const FileDialogTexts& dialog,
                                            const std::function<bool(const FrameHeader&)>& hasData,
                                            ExportResult& ended);

// Writes the file; on failure shows the stop box with the given caption: the name, "Can't open
// file for writing." when it could not be opened, and the system's reason.
bool writeExportFile(ExportContext& context, const std::string& caption, const std::string& path,
                     std::string_view bytes);

} // namespace qs40
