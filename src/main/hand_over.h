// A file named by a second start of the program, offered in the running instance: the question
// (or the refusal while the scope runs) in the current language.
#pragma once

#include "scope/ui_port.h"

#include <string>
#include <string_view>

namespace qs40 {

// The extension decides how a named file is opened: exactly ".qss" (letter case counts) is a
// settings file, anything else a data file.
bool isSettingsFileName(std::string_view fileName);

// What the running instance does with a hand-over: a second start without a file only brings
// the window forward; a file is ignored while the instance is busy, else offered.
enum class HandOverStep { BringForward, Ignore, Offer };
HandOverStep handOverStep(int argumentCount, std::string_view text, bool busy);

enum class HandOverAction { None, OpenSettings, OpenData };

// Asks whether to open the file; a data file cannot be opened while the scope runs, which the
// user is told instead. Returns what to open, or None.
HandOverAction offerHandedOverFile(Ui& ui, const std::string& fileName, bool russian, bool running);

} // namespace qs40
