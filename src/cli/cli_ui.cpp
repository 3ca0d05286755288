#include "cli/cli_ui.h"

#include <string_view>

namespace qs40::cli {

namespace {

constexpr std::string_view kProgramName = "qs40-cli";

// A line that ends a sentence is followed by a blank; any other line (a file's name) by ": ".
bool endsASentence(char last) {
    return last == '.' || last == '?' || last == '!' || last == ':';
}

} // namespace

std::string oneLine(const std::string& text) {
    std::string out;
    bool blank = false;
    bool lineBreak = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t') {
            blank = !out.empty();
            lineBreak = lineBreak || (blank && (c == '\r' || c == '\n'));
            continue;
        }
        if (blank)
            out += lineBreak && !endsASentence(out.back()) ? ": " : " ";
        blank = false;
        lineBreak = false;
        out += c;
    }
    return out;
}

BoxAnswer CliUi::messageBox(const std::string& caption, const std::string& text, BoxIcon,
                            BoxButtons buttons) {
    ++boxes_;
    if (buttons == BoxButtons::YesNo && quietQuestions_)
        return BoxAnswer::No;
    err_ << kProgramName << ": ";
    // The link's boxes carry the program's own name as their caption.
    if (!caption.empty() && caption != kProgramName)
        err_ << oneLine(caption) << ": ";
    err_ << oneLine(text);
    if (buttons == BoxButtons::YesNo)
        err_ << " -- answered No";
    err_ << '\n' << std::flush;
    return buttons == BoxButtons::Ok ? BoxAnswer::Ok : BoxAnswer::No;
}

std::optional<std::string> CliUi::saveFileName(const FileDialogRequest&) {
    std::optional<std::string> answer = std::move(nextSave_);
    nextSave_.reset();
    return answer;
}

} // namespace qs40::cli
