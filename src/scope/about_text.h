// The lines of the About box: the product with the connected instrument's variant, the program's
// version, the instrument's firmware and FPGA versions and, in service mode, its serial number.
// A value the instrument has not reported yet reads "...".
#pragma once

#include <cstdint>
#include <string>

namespace qs40 {

struct AboutInputs {
    bool identified = false;           // a status packet has arrived since the link was opened
    std::int32_t instrumentCode = 0;   // the instrument's variant code
    std::int32_t firmwareVersion = -1; // -1: not reported
    std::int32_t fpgaVersion = -1;
    std::uint16_t serialPrefix = 0; // status bytes 21-22
    std::uint32_t serialNumber = 0; // status bytes 17-20
    bool service = false;           // Debug_qs: the serial number is shown
};

struct AboutText {
    std::string title;
    std::string product;
    std::string software;
    std::string firmware;
    std::string fpga;
    std::string serial; // empty when not shown
    bool serialShown = false;
};

AboutText aboutText(const AboutInputs& in, bool russian);

} // namespace qs40
