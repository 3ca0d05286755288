#include "files/file_dialogs.h"

#include <sys/stat.h>

namespace qs40 {
namespace {

std::size_t nameStart(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

FileDialogRequest makeRequest(const SessionState& session, const FileDialogTexts& texts,
                              std::string proposedName) {
    FileDialogRequest request;
    request.title = texts.title;
    request.filter = texts.filter;
    request.defaultExtension = !texts.extension.empty() && texts.extension.front() == '.'
                                   ? texts.extension.substr(1)
                                   : texts.extension;
    request.proposedName = std::move(proposedName);
    request.folder = session.workingFolder;
    return request;
}

std::optional<std::string> chosen(SessionState& session, std::optional<std::string> path) {
    if (path)
        session.workingFolder = folderOf(*path);
    return path;
}

} // namespace

std::string folderOf(const std::string& path) {
    return path.substr(0, nameStart(path));
}

std::string fileNameOf(const std::string& path) {
    return path.substr(nameStart(path));
}

std::string withExtension(const std::string& path, std::string_view extension) {
    const std::size_t start = nameStart(path);
    const auto dot = path.rfind('.');
    const std::size_t end = dot != std::string::npos && dot >= start ? dot : path.size();
    return path.substr(0, end) + std::string(extension);
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string proposedSaveName(const SessionState& session, std::string_view extension) {
    if (session.current.valid)
        return withExtension(session.current.name, extension);
    return "*" + std::string(extension);
}

std::optional<std::string> chooseSaveFile(Ui& ui, SessionState& session,
                                          const FileDialogTexts& texts) {
    const FileDialogRequest request =
        makeRequest(session, texts, proposedSaveName(session, texts.extension));
    return chosen(session, ui.saveFileName(request));
}

std::optional<std::string> chooseOpenFile(Ui& ui, SessionState& session,
                                          const FileDialogTexts& texts) {
    return chosen(session, ui.openFileName(makeRequest(session, texts, "")));
}

} // namespace qs40
