#include "files/settings_file.h"

#include "files/atomic_write.h"
#include "files/config_io.h"
#include "files/file_dialogs.h"
#include "files/file_read.h"
#include "files/file_replace.h"
#include "files/file_texts.h"
#include "files/ini_file.h"

namespace qs40 {
namespace {

namespace fs = std::filesystem;

void takeWorkingFolder(ScopeState& state, const std::string& chosen) {
    state.Session.workingFolder = folderOf(chosen);
}

} // namespace

bool hasSettingsExtension(std::string_view fileName) {
    const std::size_t slash = fileName.find_last_of('/');
    const std::string_view name =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t point = name.find_last_of('.');
    return point != std::string_view::npos && name.substr(point) == kSettingsExtension;
}

FileDialogRequest saveSettingsRequest(const ScopeState& state) {
    FileDialogRequest r;
    r.title = saveSettingsTitle(state.russian());
    r.filter = saveSettingsFilter(state.russian());
    r.defaultExtension = std::string(kSettingsExtension.substr(1));
    r.proposedName = proposedSaveName(state.Session, kSettingsExtension);
    r.folder = state.Session.workingFolder;
    return r;
}

FileDialogRequest openSettingsRequest(const ScopeState& state) {
    FileDialogRequest r;
    r.title = openSettingsTitle(state.russian());
    r.filter = openSettingsFilter(state.russian());
    r.defaultExtension = std::string(kSettingsExtension.substr(1));
    r.folder = state.Session.workingFolder;
    return r;
}

bool writeSettingsFile(const fs::path& path, const ScopeState& state, Ui& ui,
                       const std::string& errorCaption) {
    IniFile document;
    document.addSection(kSettingsHeaderSection);
    // The header and the settings in one write: the file is never seen with the one alone.
    const FileWriteResult written = writeFileReplacing(
        path.string(), configurationText(state, ConfigMode::File, std::move(document)));
    if (written.ok)
        return true;
    if (written.failure == FileWriteFailure::Open)
        ui.messageBox(saveSettingsTitle(state.russian()),
                      writeFailureText(path.string(), written, state.russian()), BoxIcon::Stop,
                      BoxButtons::Ok);
    else // as the configuration writer reports its failures
        ui.messageBox(errorCaption, fileWriteErrorMessage(path, written), BoxIcon::Stop,
                      BoxButtons::Ok);
    return false;
}

bool saveSettings(ScopeState& state, Ui& ui, const std::string& errorCaption) {
    const auto chosen = ui.saveFileName(saveSettingsRequest(state));
    if (!chosen)
        return false;
    takeWorkingFolder(state, *chosen);
    return writeSettingsFile(*chosen, state, ui, errorCaption);
}

bool openSettings(ScopeState& state, Ui& ui, const fs::path& path) {
    // Refused before it is opened when it is no regular file: a named pipe would never answer.
    const OpenedFile opened = openRegularFile(path);
    if (opened.status != FileReadStatus::Read) {
        ui.messageBox(openSettingsCaption(state.russian()),
                      readFailureText(path.string(), opened, state.russian()), BoxIcon::Exclamation,
                      BoxButtons::Ok);
        return false;
    }
    readConfigurationFile(path, state, ConfigMode::File, false);
    return true;
}

bool openSettingsFromDialog(ScopeState& state, Ui& ui) {
    const auto chosen = ui.openFileName(openSettingsRequest(state));
    if (!chosen)
        return false;
    takeWorkingFolder(state, *chosen);
    return openSettings(state, ui, *chosen);
}

} // namespace qs40
