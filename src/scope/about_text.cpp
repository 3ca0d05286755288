#include "scope/about_text.h"

#include "scope/variant.h"

#include <cstdio>

namespace qs40 {
namespace {

constexpr const char* kNotReported = "...";

std::string reported(std::int32_t version) {
    return version < 0 ? kNotReported : versionText(version);
}

} // namespace

AboutText aboutText(const AboutInputs& in, bool russian) {
    AboutText t;
    t.title = russian ? "О программе" : "About";
    t.product = in.identified ? std::string(russian ? "ZR40   Устройство - " : "ZR40   Device - ") +
                                    variantName(in.instrumentCode)
                              : "ZR40";
    t.software = std::string(russian ? "Версия программы  " : "Software Version  ") +
                 versionText(kSoftwareVersion);
    t.firmware = std::string(russian ? "Версия ПО устройства  " : "Firmware Version  ") +
                 reported(in.firmwareVersion);
    t.fpga = std::string(russian ? "Версия FPGA устройства  " : "FPGA Version  ") +
             reported(in.fpgaVersion);
    t.serialShown = in.service;
    if (in.service) {
        t.serial = russian ? "Серийный номер устройства  " : "Serial Number  ";
        if (in.identified) {
            char digits[32];
            std::snprintf(digits, sizeof digits, "%04X - %08X",
                          static_cast<unsigned>(in.serialPrefix),
                          static_cast<unsigned>(in.serialNumber));
            t.serial += digits;
        } else {
            t.serial += kNotReported;
        }
    }
    return t;
}

} // namespace qs40
