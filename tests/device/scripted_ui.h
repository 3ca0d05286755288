// A Ui that records every message box and answers Yes/No questions from a script.
#pragma once

#include "scope/ui_port.h"

#include <deque>
#include <functional>
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
    // Runs while a box is shown, as the box's own event loop would run other work.
    std::function<void()> whileShown;

    BoxAnswer messageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) override {
        boxes.push_back({caption, text, icon, buttons});
        if (whileShown)
            whileShown();
        if (buttons == BoxButtons::Ok)
            return BoxAnswer::Ok;
        if (answers.empty())
            return defaultAnswer;
        const BoxAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    // Names the file dialogs answer with, in order; closed (no name) when empty.
    std::deque<std::string> openNames;
    std::deque<std::string> saveNames;

    std::optional<std::string> openFileName(const FileDialogRequest&) override {
        return take(openNames);
    }
    std::optional<std::string> saveFileName(const FileDialogRequest&) override {
        return take(saveNames);
    }
    void processMessages() override {}

private:
    static std::optional<std::string> take(std::deque<std::string>& names) {
        if (names.empty())
            return std::nullopt;
        std::string name = std::move(names.front());
        names.pop_front();
        return name;
    }
};

} // namespace qs40::testing
