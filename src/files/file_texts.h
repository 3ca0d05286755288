// The texts that the settings file commands show, in both languages. UTF-8. The sentences
// every file command shares are in file_box_texts.h.
#pragma once

#include "files/file_box_texts.h"

#include <string>

namespace qs40 {

// The save dialog's title, also the caption of its error box.
std::string saveSettingsTitle(bool russian);
std::string saveSettingsFilter(bool russian);
std::string openSettingsTitle(bool russian);
std::string openSettingsFilter(bool russian);
// The caption of the box that says a settings file was not found.
std::string openSettingsCaption(bool russian);

} // namespace qs40
