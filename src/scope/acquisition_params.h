// The acquisition parameters: what the parameter packet carries, plus the values the frame
// decoder and the display read back. Written only by the parameter computation on the GUI
// thread; the acquisition thread works on a published copy (see ParamsPublisher).
#pragma once

#include <array>
#include <cstdint>

namespace qs40 {

struct AcquisitionParams {
    std::int64_t timePerDivNs = 0;
    std::int32_t recordLength = 0; // N: samples per channel
    bool paired = false;           // paired mode (one analog and/or one digital channel)
    std::uint32_t divider = 0;     // sample divider; sample interval = divider x 10 ns
    std::int32_t preTrigger = 0;
    std::int32_t postTrigger = 0;
    std::uint8_t modeBits = 0;    // block A byte 1
    std::uint8_t routingBits = 0; // block A byte 2
    std::uint8_t runBits = 0;     // block A byte 28
    std::uint8_t rollBits = 0;    // block A byte 29
    // A1 lower, A1 upper, A2 lower, A2 upper.
    std::array<std::uint8_t, 4> thresholds{};
    std::uint8_t triggerCount = 0;
    std::uint8_t freqMeterInput = 0; // block B: 1..6
    std::uint8_t inputA1 = 0, inputA2 = 0; // range code, generator-off bit, coupling bit
    std::int32_t offsetA1 = 0, offsetA2 = 0;
    std::uint8_t frameIntervalMs = 0;
    std::int32_t voltsDivA1 = 0, voltsDivA2 = 0; // microvolts, probe factor included
    std::uint8_t genMode = 0;
    std::int64_t genWord1 = 0, genWord2 = 0; // low 40 bits sent
    std::uint16_t genAmplitude = 0;          // 10 bits: 512 - Ampl
    std::int32_t genWord3 = 0;               // low 24 bits sent
    std::int32_t genFrequency = 0;           // frequency or sweep start
    std::int32_t genSecond = 0;              // sweep span
    std::int32_t pulseTime1 = 0, pulseTime2 = 0;
    bool roll = false;          // slow time base without trigger source
    bool scrollDisplay = false; // copy of Lenta
    std::int32_t markerMode = 0;
    std::int32_t drawMode = 0;
};

// What the parameter computation's follow-up operations raise on the acquisition side.
class AcquisitionRequests {
public:
    virtual ~AcquisitionRequests() = default;
    virtual void requestDisplay() = 0;
    virtual void requestSendParameters() = 0;
    virtual void wake() = 0;
};

} // namespace qs40
