#include "files/file_box_texts.h"

namespace qs40 {

std::string cantWriteText(const std::string& name, bool russian) {
    return name + (russian ? "\r\nНет доступа к файлу." : "\r\nCan't open file for writing.");
}

std::string fileNotFoundText(const std::string& name, bool russian) {
    return name + (russian ? "\r\nФайл не найден." : "\r\nFile not found.");
}

std::string replaceExistingText(const std::string& name, bool russian) {
    return name + (russian ? " уже существует.\r\nЗаменить?"
                           : "\r\nThe file already exists. Replace existing file?");
}

std::string noDataText(bool russian) {
    return russian ? "Нет данных для записи." : "No data for writing.";
}

} // namespace qs40
