// Reading back what the recorder leaves: its raw file of A1 sample codes (one byte a sample, or
// a pair of bytes with peak detection) and the companion text that says how to read them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qs40 {

struct RecordingDescription {
    int bytesPerSample = 1;     // 2 with peak detection: a (min, max) pair per position
    double timeStepNs = 0;      // from one position to the next
    double voltageStepUv = 0;   // the voltage of one sample code
    std::int32_t zeroLevel = 0; // the code of 0 V
};

struct RecordingDescriptionRead {
    std::optional<RecordingDescription> description;
    std::string problem; // what is missing or unreadable, when there is no description
};

// The description from the companion text, in either language, with either decimal separator.
// The steps are read back from the unit formatter's texts ("1.000 mS", "3,125 mV").
RecordingDescriptionRead parseRecordingCompanion(std::string_view text);

// A value printed by the unit formatter back in its base unit (ns for times, uV for voltages):
// "1.000 mS" is 1e6, "3,125 mV" 3125. Nothing for other units or text.
std::optional<double> parseFormattedTime(std::string_view text);
std::optional<double> parseFormattedVoltage(std::string_view text);

} // namespace qs40
