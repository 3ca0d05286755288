// A Ui that records message boxes and file dialogs and answers the dialogs from a script.
#pragma once

#include "scope/ui_port.h"

#include <optional>
#include <string>
#include <vector>

namespace qs40::testing {

struct RecordedBox {
    std::string caption;
    std::string text;
    BoxIcon icon;
    BoxButtons buttons;
};

class RecordingUi final : public Ui {
public:
    std::vector<RecordedBox> boxes;
    std::vector<FileDialogRequest> openRequests, saveRequests;
    std::optional<std::string> chosenFile; // the dialogs' answer; nothing: cancelled

    BoxAnswer messageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) override {
        boxes.push_back({caption, text, icon, buttons});
        return buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::Yes;
    }
    std::optional<std::string> openFileName(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return chosenFile;
    }
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return chosenFile;
    }
    void processMessages() override {}
};

} // namespace qs40::testing
