// A Ui that records every message box and answers Yes/No questions from a script.
#pragma once

#include "scope/ui_port.h"

#include <deque>
#include <string>
#include <vector>

namespace qs40::testing {

struct ShownBox {
    std::string caption;
    std::string text;
    BoxIcon icon;
    BoxButtons buttons;
};

class ScriptedUi final : public Ui {
public:
    std::vector<ShownBox> boxes;
    std::deque<BoxAnswer> answers; // for Yes/No boxes; Yes when empty
    BoxAnswer defaultAnswer = BoxAnswer::Yes;

    BoxAnswer messageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) override {
        boxes.push_back({caption, text, icon, buttons});
        if (buttons == BoxButtons::Ok)
            return BoxAnswer::Ok;
        if (answers.empty())
            return defaultAnswer;
        const BoxAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> openFileName(const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override {
        return std::nullopt;
    }
    void processMessages() override {}
};

} // namespace qs40::testing
