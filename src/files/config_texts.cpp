#include "files/config_texts.h"

#include "files/file_box_texts.h"

#include <cstring>

namespace qs40 {

std::string configReadReason(const ConfigReadResult& result, bool russian) {
    if (result.error != 0)
        return std::strerror(result.error);
    switch (result.problem) {
    case ConfigProblem::NotRegularFile:
        return notRegularFileReason(russian);
    case ConfigProblem::NotText:
        return russian ? "Это не текстовый файл" : "Not a text file";
    case ConfigProblem::TooLarge:
        return russian ? "Файл слишком велик" : "The file is too large";
    case ConfigProblem::NoKnownSection:
        return russian ? "В нём нет ни одного раздела файла конфигурации"
                       : "It holds no section of a configuration file";
    case ConfigProblem::None:
        break;
    }
    return {};
}

std::string warningCaption(bool russian) {
    return russian ? "Предупреждение" : "Warning";
}

std::string configurationKeptText(const std::string& name, const std::string& reason,
                                  bool russian) {
    return name +
           (russian ? "\r\nНе удаётся прочитать файл конфигурации. Он остаётся без изменений, "
                      "настройки этого сеанса в него сохранены не будут."
                    : "\r\nThe configuration file cannot be read. It is kept as it is, and the "
                      "settings of this session will not be saved to it.") +
           (reason.empty() ? "" : "\r\n" + reason);
}

std::string saveConfigurationElsewhereText(const std::string& name, bool russian) {
    return name + (russian ? "\r\nФайл конфигурации не удалось прочитать, он оставлен без "
                             "изменений. Сохранить конфигурацию в другой файл?"
                           : "\r\nThe configuration file could not be read and is kept as it "
                             "is. Save the configuration to another file?");
}

std::string saveConfigurationCaption(bool russian) {
    return russian ? "Сохранение конфигурации" : "Save Configuration";
}

std::string saveConfigurationFilter(bool russian) {
    return russian ? "Файл конфигурации (*.ini)|*.ini" : "Configuration File (*.ini)|*.ini";
}

std::string configurationNotReplacedMessage(const std::string& path,
                                            const ConfigReadResult& result) {
    return "Cannot write file \"" + path + "\": what it holds cannot be read and would be lost (" +
           configReadReason(result, false) + ").";
}

} // namespace qs40
