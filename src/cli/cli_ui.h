// The Ui port of qs40-cli: every message box becomes one line on the error stream, questions
// are answered No (nothing is replaced or reopened behind the user's back), and a save dialog
// is answered only with the file named on the command line for that one command.
#pragma once

#include "scope/ui_port.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>

namespace qs40::cli {

// The text on one line: a line break becomes ": " after a line that does not end a sentence (a
// file's name) and a blank after one that does ("name: Can't open file for writing. No space
// left on device"); runs of blanks become one, blanks at the ends go.
std::string oneLine(const std::string& text);

class CliUi final : public Ui {
public:
    explicit CliUi(std::ostream& err) : err_(err) {}

    BoxAnswer messageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) override;
    std::optional<std::string> openFileName(const FileDialogRequest&) override {
        return std::nullopt;
    }
    // The armed answer, once; nothing otherwise.
    std::optional<std::string> saveFileName(const FileDialogRequest&) override;
    void processMessages() override {}

    // The next save dialog chooses this file.
    void answerNextSaveDialog(std::string path) { nextSave_ = std::move(path); }
    // While on, questions are answered No without a line.
    void setQuestionsQuiet(bool quiet) { quietQuestions_ = quiet; }
    // Boxes shown so far: a failure a box has already reported needs no line of its own.
    std::size_t boxesShown() const { return boxes_; }

private:
    std::ostream& err_;
    std::optional<std::string> nextSave_;
    std::size_t boxes_ = 0;
    bool quietQuestions_ = false;
};

} // namespace qs40::cli
