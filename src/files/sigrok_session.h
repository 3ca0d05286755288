// The sigrok session file (".sr", format version 2): a zip holding "version", an INI
// "metadata" and the samples, logic as one byte per sample with a bit per probe, analog as
// little-endian 32-bit floats per channel. sigrok-cli and PulseView open it as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qs40 {

struct SigrokAnalogChannel {
    std::string name;
    std::vector<float> values; // volts
};

struct SigrokSession {
    std::uint64_t sampleRate = 0;        // Hz
    std::vector<std::string> logicNames; // probe k is bit k of each logic byte; at most 8
    std::vector<std::uint8_t> logic;     // one byte per sample; empty without logic probes
    std::vector<SigrokAnalogChannel> analog;
};

struct SigrokEncoding {
    bool ok = false;
    std::string bytes; // the whole file
    std::string error; // libzip's reason when not ok
};

// The session as the bytes of a zip file; the channels must all hold the same number of
// samples.
SigrokEncoding encodeSigrokSession(const SigrokSession& session);

} // namespace qs40
