// The texts about a configuration file that was kept because it could not be read, in both
// languages (UTF-8). A text about a file is the file's name, "\r\n" and the sentence; the
// reason follows on a line of its own.
#pragma once

#include "files/config_read.h"

#include <string>

namespace qs40 {

// Why the file was not read, on one line: the system's text for its error, else our own.
std::string configReadReason(const ConfigReadResult& result, bool russian);

// The caption of the program's warning boxes.
std::string warningCaption(bool russian);
// Shown at start: the file is kept and this session's settings are not saved to it; the reason
// (when there is one) on the line below.
std::string configurationKeptText(const std::string& name, const std::string& reason, bool russian);
// Asked at close, instead of writing the kept file.
std::string saveConfigurationElsewhereText(const std::string& name, bool russian);
// The caption of that question, also the title of its save dialog.
std::string saveConfigurationCaption(bool russian);
std::string saveConfigurationFilter(bool russian);

// The writer's own message (the platform's error box) when it refuses to replace a file that it
// could not read.
std::string configurationNotReplacedMessage(const std::string& path,
                                            const ConfigReadResult& result);

} // namespace qs40
