// A Ui for the file commands: records every box and dialog request, answers questions and
// dialogs from scripts.
#pragma once

#include "scope/ui_port.h"

#include <deque>
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

class FileCommandUi final : public Ui {
public:
    std::vector<RecordedBox> boxes;
    std::deque<BoxAnswer> answers;           // for Yes/No boxes; Yes when empty
    std::optional<std::string> dialogAnswer; // the path every dialog returns; none: cancel
    std::vector<FileDialogRequest> saveRequests;
    std::vector<FileDialogRequest> openRequests;
    int processed = 0;

    BoxAnswer messageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) override {
        boxes.push_back({caption, text, icon, buttons});
        if (buttons == BoxButtons::Ok)
            return BoxAnswer::Ok;
        if (answers.empty())
            return BoxAnswer::Yes;
        const BoxAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> openFileName(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return dialogAnswer;
    }
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return dialogAnswer;
    }
    void processMessages() override { ++processed; }
};

} // namespace qs40::testing
