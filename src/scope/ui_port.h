// How the core reaches the user: message boxes, file-name dialogs and "process messages while
// waiting". The Qt program implements it; tests use a scripted fake. Texts arrive already in
// the current language.
#pragma once

#include <optional>
#include <string>

namespace qs40 {

enum class BoxIcon { Stop, Exclamation, Question, Information };
enum class BoxButtons { Ok, YesNo };
enum class BoxAnswer { Ok, Yes, No };

struct FileDialogRequest {
    std::string title;
    std::string filter;           // "Data files (*.qsd)|*.qsd" style pairs, separated by '|'
    std::string defaultExtension; // without the point
    std::string proposedName;     // file name without folder, may be empty
    std::string folder;           // folder the dialog opens in
};

class Ui {
public:
    virtual ~Ui() = default;
    virtual BoxAnswer messageBox(const std::string& caption, const std::string& text,
                                 BoxIcon icon, BoxButtons buttons) = 0;
    // Full path of the chosen file, or nothing when the user cancels.
    virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;
    // Lets the GUI handle pending events while the caller waits.
    virtual void processMessages() = 0;
};

} // namespace qs40
