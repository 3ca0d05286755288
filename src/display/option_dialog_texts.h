// The texts of the four option dialogs in both languages, and the modulation dialog's group
// captions, which show the effective values of its bars and range buttons.
#pragma once

#include "scope/option_fields.h"
#include "scope/scope_state.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace qs40 {

struct TriggerDialogTexts {
    std::string title;
    std::string preTrigger;
    std::vector<std::string> preTriggerItems; // index 0..9
    std::string noiseReject;
    std::vector<std::string> noiseRejectItems; // index 0..5
    std::string ok, cancel;
};
TriggerDialogTexts triggerDialogTexts(bool russian);
// The label under the trigger-count bar.
std::string trigNLabel(std::int32_t n, bool russian);

struct FftDialogTexts {
    std::string title;
    std::string size;
    std::vector<std::string> sizeItems;
    std::string window;
    std::vector<std::string> windowItems;
    std::string scale;
    std::vector<std::string> scaleItems;
    std::string dbvToVolt;
    std::string ok, cancel;
};
FftDialogTexts fftDialogTexts(bool russian);

struct ModulationDialogTexts {
    std::string title;
    std::string am, fm;
    std::string modFreqLow, modFreqHigh; // "10K", "100K"
    std::string depthLow, depthHigh;     // "100%", "200%"
    std::string devLow, devHigh;         // "10K", "100K"
    std::string ok, cancel;
};
ModulationDialogTexts modulationDialogTexts(bool russian);

// The three group captions of the modulation dialog, from the values the controls show.
struct ModulationCaptions {
    std::string modFreq; // "Mod. Freq. = 1.00 KHz"
    std::string depth;   // "K AM = 70.0 %"
    std::string devFm;   // "Dev. FM = 3.00 KHz"
};
ModulationCaptions modulationCaptions(const GeneratorSection& generator, bool russian,
                                      std::string_view decimalSeparator = ".");

struct ColorDialogTexts {
    std::string title;
    std::array<std::string, kColorFieldCount> buttons; // in the order of kColorFields
    std::string defaults;
    std::string ok, cancel;
};
// The channel buttons drop the channel's number on a variant without the second channel.
ColorDialogTexts colorDialogTexts(bool russian, std::int32_t deviceTypeCode);

} // namespace qs40
