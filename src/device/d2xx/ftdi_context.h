// A libftdi1 context that frees itself: every path out of the code that made it releases it,
// and the USB device it opened with it.
#pragma once

#include <memory>

struct ftdi_context;

namespace qs40 {

struct FtdiContextRelease {
    // Closes the USB device when one is open (which gives the channel back to ftdi_sio), then
    // frees the context.
    void operator()(ftdi_context* context) const;
};

using FtdiContextPtr = std::unique_ptr<ftdi_context, FtdiContextRelease>;

// A new context; null when memory is short.
FtdiContextPtr newFtdiContext();

} // namespace qs40
