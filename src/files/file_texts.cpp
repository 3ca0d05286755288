#include "files/file_texts.h"

namespace qs40 {

std::string saveSettingsTitle(bool russian) {
    return russian ? "Сохранение файла настроек" : "Save Settings";
}

std::string saveSettingsFilter(bool russian) {
    return russian ? "Файл настроек ZR40 (*.qss)|*.qss" : "ZR40 Settings File (*.qss)|*.qss";
}

std::string openSettingsTitle(bool russian) {
    return russian ? "Открытие настроек" : "Open Settings";
}

std::string openSettingsFilter(bool russian) {
    return russian ? "Файлы настроек ZR40 (*.qss)|*.qss|Все файлы (*.*)|*.*"
                   : "ZR40 Settings File (*.qss)|*.qss|All Files (*.*)|*.*";
}

std::string openSettingsCaption(bool russian) {
    return russian ? "Открытие файла настроек" : "Open Settings";
}

} // namespace qs40
