#include "files/file_box_texts.h"

#include <cstring>

namespace qs40 {
namespace {

const char* fileNotFoundSentence(bool russian) {
    return russian ? "Файл не найден." : "File not found.";
}

} // namespace

std::string cantWriteText(const std::string& name, bool russian) {
    return name + (russian ? "\r\nНет доступа к файлу." : "\r\nCan't open file for writing.");
}

std::string fileNotFoundText(const std::string& name, bool russian) {
    return name + "\r\n" + fileNotFoundSentence(russian);
}

std::string replaceExistingText(const std::string& name, bool russian) {
    return name + (russian ? " уже существует.\r\nЗаменить?"
                           : "\r\nThe file already exists. Replace existing file?");
}

std::string noDataText(bool russian) {
    return russian ? "Нет данных для записи." : "No data for writing.";
}

std::string systemReason(int error) {
    return std::strerror(error);
}

std::string notRegularFileReason(bool russian) {
    return russian ? "Это не обычный файл" : "Not a regular file";
}

std::string readFailureLines(FileReadStatus status, int error, bool russian) {
    switch (status) {
    case FileReadStatus::Missing:
        return fileNotFoundSentence(russian) + ("\r\n" + systemReason(error));
    case FileReadStatus::NotRegularFile:
        return notRegularFileReason(russian);
    case FileReadStatus::Failed:
    case FileReadStatus::Read:
        break;
    }
    return systemReason(error);
}

std::string readFailureText(const std::string& name, FileReadStatus status, int error,
                            bool russian) {
    return name + "\r\n" + readFailureLines(status, error, russian);
}

std::string writeFailureText(const std::string& name, const FileWriteResult& result, bool russian) {
    if (result.failure == FileWriteFailure::Open)
        return cantWriteText(name, russian) + "\r\n" + result.message;
    return name + "\r\n" + result.message;
}

} // namespace qs40
