#include "files/settings_file.h"

#include "files/config_io.h"
#include "files/file_dialogs.h"
#include "files/file_handles.h"
#include "files/file_texts.h"
#include "files/ini_file.h"

#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace qs40 {
namespace {

namespace fs = std::filesystem;

void takeWorkingFolder(ScopeState& state, const std::string& chosen) {
    state.Session.workingFolder = folderOf(chosen);
}

// Whether the file can be opened for reading. A folder is not a file, whatever the system's
// open() says about it.
bool canOpenForReading(const fs::path& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    return fd.valid() && ::fstat(fd.get(), &st) == 0 && !S_ISDIR(st.st_mode);
}

enum class CreateCheck { Failed, Existing, Created };

// Whether the file can be opened for writing, without emptying it: the new contents replace it
// only once they are complete.
CreateCheck checkCanCreate(const fs::path& path) {
    struct stat st {};
    const bool existed = ::stat(path.c_str(), &st) == 0;
    const UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
    if (!fd.valid())
        return CreateCheck::Failed;
    return existed ? CreateCheck::Existing : CreateCheck::Created;
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
    const CreateCheck check = checkCanCreate(path);
    if (check == CreateCheck::Failed) {
        ui.messageBox(saveSettingsTitle(state.russian()),
                      cantWriteText(path.string(), state.russian()), BoxIcon::Stop,
                      BoxButtons::Ok);
        return false;
    }
    // The check made an empty file; a failed write leaves nothing behind.
    std::optional<FileRemover> madeByCheck;
    if (check == CreateCheck::Created)
        madeByCheck.emplace(path.string());
    IniFile document;
    document.addSection(kSettingsHeaderSection);
    const bool written = writeConfigurationFile(path, std::move(document), state, ConfigMode::File,
                                                ui, errorCaption);
    if (written && madeByCheck)
        madeByCheck->keep();
    return written;
}

bool saveSettings(ScopeState& state, Ui& ui, const std::string& errorCaption) {
    const auto chosen = ui.saveFileName(saveSettingsRequest(state));
    if (!chosen)
        return false;
    takeWorkingFolder(state, *chosen);
    return writeSettingsFile(*chosen, state, ui, errorCaption);
}

bool openSettings(ScopeState& state, Ui& ui, const fs::path& path) {
    if (!canOpenForReading(path)) {
        ui.messageBox(openSettingsCaption(state.russian()),
                      fileNotFoundText(path.string(), state.russian()), BoxIcon::Exclamation,
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
