#include "files/file_texts.h"

namespace qs40 {

std::string cantOpenForWritingText(const std::string& fileName, bool russian) {
    return fileName + (russian ? "\r\nНет доступа к файлу." : "\r\nCan't open file for writing.");
}

std::string fileNotFoundText(const std::string& fileName, bool russian) {
    return fileName + (russian ? "\r\nФайл не найден." : "\r\nFile not found.");
}

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
