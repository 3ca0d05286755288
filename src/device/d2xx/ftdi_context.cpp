#include "device/d2xx/ftdi_context.h"

#include <ftdi.h>

namespace qs40 {

void FtdiContextRelease::operator()(ftdi_context* context) const {
    if (context == nullptr)
        return;
    if (context->usb_dev != nullptr)
        ftdi_usb_close(context);
    ftdi_free(context);
}

FtdiContextPtr newFtdiContext() {
    return FtdiContextPtr(ftdi_new());
}

} // namespace qs40
