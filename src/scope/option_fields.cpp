#include "scope/option_fields.h"

#include <algorithm>

namespace qs40 {

namespace {

std::int32_t clampTo(std::int32_t v, IntRange r) {
    return std::clamp(v, r.min, r.max);
}

// The range buttons and the modulation type as the generator words read them.
std::int32_t secondButton(std::int32_t x) {
    return x == 1 ? 1 : 0;
}

template <class... F> struct Overloaded : F... { using F::operator()...; };
// Not every compiler deduces an aggregate's arguments yet.
template <class... F> Overloaded(F...) -> Overloaded<F...>;

} // namespace

OptionFieldsCopy copyOptionFields(const ScopeState& s, OptionDialog dialog) {
    OptionFieldsCopy copy;
    copy.dialog = dialog;
    switch (dialog) {
    case OptionDialog::Trigger:
        copy.fields = TriggerOptions{s.Trigger.Pre, s.Trigger.Hyst, s.Trigger.N};
        break;
    case OptionDialog::Fft:
        copy.fields = FftOptions{s.FFT.Size, s.FFT.Win, s.FFT.Scale, s.FFT.dbv_v};
        break;
    case OptionDialog::Modulation: {
        const GeneratorSection& g = s.Generator;
        copy.fields = ModulationOptions{g.Mod_Type, g.Mod_Freq, g.Mod_Freq_x, g.Mod_K,
                                        g.Mod_K_x,  g.Dev_Freq, g.Dev_Freq_x};
        break;
    }
    case OptionDialog::Colors:
        copy.fields = s.Colors;
        break;
    }
    return copy;
}

void restoreOptionFields(ScopeState& s, const OptionFieldsCopy& copy) {
    std::visit(Overloaded{
                   [&](const TriggerOptions& t) {
                       s.Trigger.Pre = t.Pre;
                       s.Trigger.Hyst = t.Hyst;
                       s.Trigger.N = t.N;
                   },
                   [&](const FftOptions& f) {
                       s.FFT.Size = f.Size;
                       s.FFT.Win = f.Win;
                       s.FFT.Scale = f.Scale;
                       s.FFT.dbv_v = f.dbv_v;
                   },
                   [&](const ModulationOptions& m) {
                       GeneratorSection& g = s.Generator;
                       g.Mod_Type = m.Mod_Type;
                       g.Mod_Freq = m.Mod_Freq;
                       g.Mod_Freq_x = m.Mod_Freq_x;
                       g.Mod_K = m.Mod_K;
                       g.Mod_K_x = m.Mod_K_x;
                       g.Dev_Freq = m.Dev_Freq;
                       g.Dev_Freq_x = m.Dev_Freq_x;
                   },
                   [&](const ColorsSection& c) { s.Colors = c; },
               },
               copy.fields);
}

FollowUp optionChangeFollowUp(OptionDialog dialog) {
    switch (dialog) {
    case OptionDialog::Trigger:
    case OptionDialog::Modulation:
        return FollowUp::ApplyAndStart;
    case OptionDialog::Fft:
    case OptionDialog::Colors:
        break;
    }
    return FollowUp::Apply;
}

std::optional<FollowUp> optionCancelFollowUp(OptionDialog dialog) {
    if (dialog == OptionDialog::Colors)
        return std::nullopt;
    return optionChangeFollowUp(dialog);
}

TriggerOptions shownTriggerOptions(const TriggerSection& t) {
    return {clampTo(t.Pre, kPreTrigRange), clampTo(t.Hyst, kNoiseRejectRange),
            clampTo(t.N, kTrigNRange)};
}

FftOptions shownFftOptions(const FftSection& f) {
    return {clampTo(f.Size, kFftSizeRange), clampTo(f.Win, kFftWinRange),
            clampTo(f.Scale, kFftScaleRange), f.dbv_v};
}

ModulationOptions shownModulationOptions(const GeneratorSection& g) {
    return {g.Mod_Type != 0 ? 1 : 0,    clampTo(g.Mod_Freq, kModulationBarRange),
            secondButton(g.Mod_Freq_x), clampTo(g.Mod_K, kModulationBarRange),
            secondButton(g.Mod_K_x),    clampTo(g.Dev_Freq, kModulationBarRange),
            secondButton(g.Dev_Freq_x)};
}

ColorRef& colorField(ColorsSection& c, ColorField field) {
    switch (field) {
    case ColorField::CH_A1:
        return c.CH_A1;
    case ColorField::CH_A2:
        return c.CH_A2;
    case ColorField::CH_D1:
        return c.CH_D1;
    case ColorField::CH_D2:
        return c.CH_D2;
    case ColorField::Background:
        return c.Background;
    case ColorField::Border:
        return c.Border;
    case ColorField::Markers:
        return c.Markers;
    case ColorField::Grid:
        return c.Grid;
    case ColorField::Grid_Frame:
        return c.Grid_Frame;
    case ColorField::Trig_Pos:
        return c.Trig_Pos;
    case ColorField::FFT:
        return c.FFT;
    case ColorField::Extra_Info:
        break;
    }
    return c.Extra_Info;
}

ColorRef colorField(const ColorsSection& c, ColorField field) {
    return colorField(const_cast<ColorsSection&>(c), field);
}

bool colorFieldPresent(const ScopeState& s, ColorField field) {
    if (field == ColorField::CH_A2)
        return s.has(kCapA2);
    if (field == ColorField::CH_D2)
        return s.has(kCapD2);
    return true;
}

void setDefaultColors(ScopeState& s) {
    s.Colors = ColorsSection{};
}

} // namespace qs40
