// The file dialogs as every file command uses them: they open in the working folder, propose
// the current data-file name with the command's extension, and make the chosen file's folder
// the new working folder. Also the path pieces those commands need.
#pragma once

#include "scope/scope_state.h"
#include "scope/ui_port.h"

#include <optional>
#include <string>
#include <string_view>

namespace qs40 {

// The folder of a path with its trailing '/' ("/data/a.qsd" gives "/data/"); empty when the
// path has no folder.
std::string folderOf(const std::string& path);
// The file name without its folder.
std::string fileNameOf(const std::string& path);
// The path with the extension of its file name replaced by `extension` (with its point), or
// with `extension` added when the name has none.
std::string withExtension(const std::string& path, std::string_view extension);
// True when something exists at the path.
bool fileExists(const std::string& path);

// A save dialog's proposed name: the current data-file name with `extension` while that name
// is valid, else "*" followed by `extension`.
std::string proposedSaveName(const SessionState& session, std::string_view extension);

struct FileDialogTexts {
    std::string title;
    std::string filter;
    std::string extension; // with its point: ".qsd"
};

// Shows the save dialog with the proposed name; on a choice the working folder becomes the
// chosen file's folder. Nothing when the user cancels.
std::optional<std::string> chooseSaveFile(Ui& ui, SessionState& session,
                                          const FileDialogTexts& texts);
// The same for an open dialog, which proposes no name.
std::optional<std::string> chooseOpenFile(Ui& ui, SessionState& session,
                                          const FileDialogTexts& texts);

} // namespace qs40
