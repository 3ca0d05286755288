#include "main/hand_over.h"

#include "files/settings_file.h"

namespace qs40 {

bool isSettingsFileName(std::string_view fileName) {
    return hasSettingsExtension(fileName);
}

HandOverStep handOverStep(int argumentCount, std::string_view text, bool busy) {
    if (argumentCount == 0 || text.empty())
        return HandOverStep::BringForward;
    return busy ? HandOverStep::Ignore : HandOverStep::Offer;
}

HandOverAction offerHandedOverFile(Ui& ui, const std::string& fileName, bool russian,
                                   bool running) {
    if (isSettingsFileName(fileName)) {
        const std::string caption = russian ? "Открытие файла настроек" : "Open Settings";
        const std::string text =
            fileName + (russian ? "\r\nОткрыть файл настроек?" : "\r\nOpen settings file?");
        return ui.messageBox(caption, text, BoxIcon::Exclamation, BoxButtons::YesNo) ==
                       BoxAnswer::Yes
                   ? HandOverAction::OpenSettings
                   : HandOverAction::None;
    }
    const std::string caption = russian ? "Открытие файла данных" : "Open";
    if (running) {
        const std::string text =
            fileName + (russian ? "\r\nДля открытия файла данных остановите развертку."
                                : "\r\nCan't open while running.");
        ui.messageBox(caption, text, BoxIcon::Stop, BoxButtons::Ok);
        return HandOverAction::None;
    }
    const std::string text =
        fileName + (russian ? "\r\nОткрыть файл данных?" : "\r\nOpen data file?");
    return ui.messageBox(caption, text, BoxIcon::Exclamation, BoxButtons::YesNo) == BoxAnswer::Yes
               ? HandOverAction::OpenData
               : HandOverAction::None;
}

} // namespace qs40
