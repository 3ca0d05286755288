// The fields the four option dialogs edit: the copy their menu actions keep while a dialog is
// open, the follow-ups, and the values the controls show for fields that lie outside their
// controls' ranges (a configuration or settings file may hold any number).
#pragma once

#include "scope/panel_operations.h"
#include "scope/scope_state.h"

#include <array>
#include <optional>
#include <variant>

namespace qs40 {

enum class OptionDialog { Trigger, Fft, Modulation, Colors };

struct TriggerOptions {
    std::int32_t Pre = 0;
    std::int32_t Hyst = 0;
    std::int32_t N = 0;
    bool operator==(const TriggerOptions&) const = default;
};

struct FftOptions {
    std::int32_t Size = 0;
    std::int32_t Win = 0;
    std::int32_t Scale = 0;
    bool dbv_v = false;
    bool operator==(const FftOptions&) const = default;
};

struct ModulationOptions {
    std::int32_t Mod_Type = 0;
    std::int32_t Mod_Freq = 0;
    std::int32_t Mod_Freq_x = 0;
    std::int32_t Mod_K = 0;
    std::int32_t Mod_K_x = 0;
    std::int32_t Dev_Freq = 0;
    std::int32_t Dev_Freq_x = 0;
    bool operator==(const ModulationOptions&) const = default;
};

// The fields of one dialog as they were before it opened.
struct OptionFieldsCopy {
    OptionDialog dialog = OptionDialog::Trigger;
    std::variant<TriggerOptions, FftOptions, ModulationOptions, ColorsSection> fields;
};

OptionFieldsCopy copyOptionFields(const ScopeState& state, OptionDialog dialog);
// Puts back exactly the fields of the copy's dialog; nothing else changes.
void restoreOptionFields(ScopeState& state, const OptionFieldsCopy& copy);

// The follow-up of every change made in the dialog.
FollowUp optionChangeFollowUp(OptionDialog dialog);
// The follow-up after a cancel has restored the fields; none for the colours, whose menu
// action applies after the dialog in any case.
std::optional<FollowUp> optionCancelFollowUp(OptionDialog dialog);

// The controls' ranges.
inline constexpr IntRange kPreTrigRange{0, 9};
inline constexpr IntRange kNoiseRejectRange{0, 5};
inline constexpr IntRange kTrigNRange{1, 255};
inline constexpr IntRange kFftSizeRange{0, 5};
inline constexpr IntRange kFftWinRange{0, 2};
inline constexpr IntRange kFftScaleRange{0, 3};
inline constexpr IntRange kModulationBarRange{0, 1000};
inline constexpr std::int32_t kModulationBarLargeStep = 10;

// What the controls show: each field held inside its control's range. The two-way choices
// (modulation type, the three range buttons) read as the parameter computation reads them:
// 1 (any non-zero type) is the second button, anything else the first. The fields themselves
// are left alone until the user moves a control.
TriggerOptions shownTriggerOptions(const TriggerSection& trigger);
FftOptions shownFftOptions(const FftSection& fft);
ModulationOptions shownModulationOptions(const GeneratorSection& generator);

// The colour fields in the order of the colour dialog's buttons.
enum class ColorField {
    CH_A1,
    CH_A2,
    CH_D1,
    CH_D2,
    Background,
    Border,
    Markers,
    Grid,
    Grid_Frame,
    Trig_Pos,
    FFT,
    Extra_Info,
};
inline constexpr std::size_t kColorFieldCount = 12;
inline constexpr std::array<ColorField, kColorFieldCount> kColorFields{
    ColorField::CH_A1,      ColorField::CH_A2,    ColorField::CH_D1,   ColorField::CH_D2,
    ColorField::Background, ColorField::Border,   ColorField::Markers, ColorField::Grid,
    ColorField::Grid_Frame, ColorField::Trig_Pos, ColorField::FFT,     ColorField::Extra_Info,
};

ColorRef& colorField(ColorsSection& colors, ColorField field);
ColorRef colorField(const ColorsSection& colors, ColorField field);
// A button and its panel exist only where the variant has the channel (A2, D2).
bool colorFieldPresent(const ScopeState& state, ColorField field);
// The "Default" button: every colour back to its default.
void setDefaultColors(ScopeState& state);

} // namespace qs40
