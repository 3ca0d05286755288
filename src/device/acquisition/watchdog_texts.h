// The texts of the link watchdog's boxes, in both languages (UTF-8).
#pragma once

#include <string>

#include "device/link/link_state.h"

namespace qs40 {

// "Warning" / "Предупреждение": the caption of every watchdog box.
std::string watchdogCaption(bool russian);
// The recovery question of a fault (codes 1..4).
std::string faultText(LinkFault fault, bool russian);
// The code 5 warning: too many checksum errors within a second.
std::string unstableLinkText(bool russian);

} // namespace qs40
