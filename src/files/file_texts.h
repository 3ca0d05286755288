// The texts that the settings file commands show, in both languages. The two file sentences
// are shared by every file command. UTF-8.
#pragma once

#include <string>

namespace qs40 {

// The file name followed by "\r\nCan't open file for writing." (Russian "\r\nНет доступа к
// файлу.").
std::string cantOpenForWritingText(const std::string& fileName, bool russian);
// The file name followed by "\r\nFile not found." (Russian "\r\nФайл не найден.").
std::string fileNotFoundText(const std::string& fileName, bool russian);

// The save dialog's title, also the caption of its error box.
std::string saveSettingsTitle(bool russian);
std::string saveSettingsFilter(bool russian);
std::string openSettingsTitle(bool russian);
std::string openSettingsFilter(bool russian);
// The caption of the box that says a settings file was not found.
std::string openSettingsCaption(bool russian);

} // namespace qs40
