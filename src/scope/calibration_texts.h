// The calibrations' texts in both languages: the dialogs, their progress and result lines, and
// the boxes of the menu actions. Chosen by the language flag when they are shown.
#pragma once

#include <cstdint>
#include <string>

namespace qs40 {

enum class CalibrationKind { Zero, FreqMeter, Tdc };

struct CalibrationTexts {
    std::string title;
    std::string info; // what to connect before Start
    std::string start;
    std::string ok;
    std::string cancel;
    std::string measuring; // "Calibration, please wait..."
    std::string failed;    // "Calibration failed."
    std::string done;      // "Calibration OK."
};

CalibrationTexts calibrationTexts(CalibrationKind kind, bool russian);

// The refusal of a calibration without an instrument.
std::string calibrationErrorCaption(bool russian);
std::string deviceNotFoundText(bool russian);

// The TDC result line's labels.
std::string tdcRiseLabel(bool russian);
std::string tdcFallLabel(bool russian);

// "PPM = " and the correction in ppm with two decimals, in the given decimal separator.
std::string ppmLabel(std::int32_t time, char decimalSeparator = '.');

} // namespace qs40
