// One program at a time on a serial device. TIOCEXCL makes the kernel refuse further opens of
// the terminal, except to root; an exclusive flock() on the open device is seen by every program
// that asks for it the same way, root included. So a second QS40 finds the instrument in use
// instead of taking it over, whichever backend it opens it with.
#pragma once

#include <string>

namespace qs40 {

// Holds the terminal open at fd for this open file description alone. False when another holds
// it already (the descriptor is then left as it was).
bool holdTty(int fd);
// Lets it go again, before the descriptor is closed.
void releaseTty(int fd);
// An open() that failed with this errno found the terminal held by another (TIOCEXCL).
bool openFailedAsHeld(int error);
// True when another holds the terminal at path; it is opened and let go again to find out.
bool ttyHeldElsewhere(const std::string& path);

} // namespace qs40
