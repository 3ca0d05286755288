#include "scope/option_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace qs40 {
namespace {

// A state whose every option field differs from the defaults.
ScopeState edited() {
    ScopeState s;
    s.Trigger.Pre = 7;
    s.Trigger.Hyst = 4;
    s.Trigger.N = 200;
    s.FFT.Size = 5;
    s.FFT.Win = 0;
    s.FFT.Scale = 3;
    s.FFT.dbv_v = true;
    GeneratorSection& g = s.Generator;
    g.Mod_Type = 1;
    g.Mod_Freq = 11;
    g.Mod_Freq_x = 1;
    g.Mod_K = 12;
    g.Mod_K_x = 1;
    g.Dev_Freq = 13;
    g.Dev_Freq_x = 1;
    for (ColorField f : kColorFields)
        colorField(s.Colors, f) = 0x010203 * (static_cast<ColorRef>(f) + 1);
    return s;
}

// Everything the dialogs edit, as one text, so a test sees any field that moved.
std::string options(const ScopeState& s) {
    std::string t = std::to_string(s.Trigger.Pre) + " " + std::to_string(s.Trigger.Hyst) + " " +
                    std::to_string(s.Trigger.N) + " | " + std::to_string(s.FFT.Size) + " " +
                    std::to_string(s.FFT.Win) + " " + std::to_string(s.FFT.Scale) + " " +
                    std::to_string(s.FFT.dbv_v) + " |";
    const GeneratorSection& g = s.Generator;
    for (std::int32_t v :
         {g.Mod_Type, g.Mod_Freq, g.Mod_Freq_x, g.Mod_K, g.Mod_K_x, g.Dev_Freq, g.Dev_Freq_x})
        t += " " + std::to_string(v);
    t += " |";
    for (ColorField f : kColorFields)
        t += " " + std::to_string(colorField(s.Colors, f));
    return t;
}

// Copy from the defaults, edit everything, restore: the dialog's own fields come back and the
// others keep the edit.
TEST(OptionFields, RestoreBringsBackOnlyTheDialogsFields) {
    const ScopeState defaults;
    const ScopeState all = edited();
    for (OptionDialog d : {OptionDialog::Trigger, OptionDialog::Fft, OptionDialog::Modulation,
                           OptionDialog::Colors}) {
        const OptionFieldsCopy copy = copyOptionFields(defaults, d);
        ScopeState s = all;
        restoreOptionFields(s, copy);

        ScopeState expected = all;
        switch (d) {
        case OptionDialog::Trigger:
            expected.Trigger = defaults.Trigger;
            break;
        case OptionDialog::Fft:
            expected.FFT = defaults.FFT;
            break;
        case OptionDialog::Modulation:
            expected.Generator = defaults.Generator;
            break;
        case OptionDialog::Colors:
            expected.Colors = defaults.Colors;
            break;
        }
        EXPECT_EQ(options(s), options(expected)) << static_cast<int>(d);
    }
}

TEST(OptionFields, RestoreLeavesTheRestOfTheSectionAlone) {
    ScopeState s;
    const OptionFieldsCopy trigger = copyOptionFields(s, OptionDialog::Trigger);
    const OptionFieldsCopy modulation = copyOptionFields(s, OptionDialog::Modulation);
    s.Trigger.Lev_A1 = 12.5;
    s.Trigger.Auto = true;
    s.Generator.F_fast = 999;
    s.Generator.Ampl = 300;
    restoreOptionFields(s, trigger);
    restoreOptionFields(s, modulation);
    EXPECT_EQ(s.Trigger.Lev_A1, 12.5);
    EXPECT_TRUE(s.Trigger.Auto);
    EXPECT_EQ(s.Generator.F_fast, 999);
    EXPECT_EQ(s.Generator.Ampl, 300);
}

TEST(OptionFields, CopyKeepsValuesOutsideTheControlsRanges) {
    ScopeState s;
    s.Trigger.N = 300;
    s.Trigger.Pre = -4;
    const OptionFieldsCopy copy = copyOptionFields(s, OptionDialog::Trigger);
    s.Trigger.N = 5;
    s.Trigger.Pre = 2;
    restoreOptionFields(s, copy);
    EXPECT_EQ(s.Trigger.N, 300);
    EXPECT_EQ(s.Trigger.Pre, -4);
}

TEST(OptionFields, FollowUps) {
    EXPECT_EQ(optionChangeFollowUp(OptionDialog::Trigger), FollowUp::ApplyAndStart);
    EXPECT_EQ(optionChangeFollowUp(OptionDialog::Modulation), FollowUp::ApplyAndStart);
    EXPECT_EQ(optionChangeFollowUp(OptionDialog::Fft), FollowUp::Apply);
    EXPECT_EQ(optionChangeFollowUp(OptionDialog::Colors), FollowUp::Apply);
    EXPECT_EQ(optionCancelFollowUp(OptionDialog::Trigger), FollowUp::ApplyAndStart);
    EXPECT_EQ(optionCancelFollowUp(OptionDialog::Modulation), FollowUp::ApplyAndStart);
    EXPECT_EQ(optionCancelFollowUp(OptionDialog::Fft), FollowUp::Apply);
    EXPECT_EQ(optionCancelFollowUp(OptionDialog::Colors), std::nullopt);
}

TEST(OptionFields, ShownTriggerValuesAreHeldInTheControlsRanges) {
    struct Case {
        TriggerOptions field, shown;
    };
    const Case cases[] = {
        {{1, 1, 1}, {1, 1, 1}},      // defaults
        {{9, 5, 255}, {9, 5, 255}},  // upper ends
        {{0, 0, 0}, {0, 0, 1}},      // a count of 0 shows the bar's lowest position
        {{10, 6, 256}, {9, 5, 255}}, // just beyond
        {{-1, -7, -100}, {0, 0, 1}}, // negative
        {{1000, 99, 70000}, {9, 5, 255}},
    };
    for (const Case& c : cases) {
        TriggerSection t;
        t.Pre = c.field.Pre;
        t.Hyst = c.field.Hyst;
        t.N = c.field.N;
        EXPECT_EQ(shownTriggerOptions(t), c.shown) << c.field.Pre << " " << c.field.N;
    }
}

TEST(OptionFields, ShownFftAndModulationValues) {
    FftSection f;
    f.Size = 9;
    f.Win = -1;
    f.Scale = 4;
    f.dbv_v = true;
    EXPECT_EQ(shownFftOptions(f), (FftOptions{5, 0, 3, true}));

    struct Case {
        ModulationOptions field, shown;
    };
    const Case cases[] = {
        {{0, 100, 0, 700, 0, 300, 0}, {0, 100, 0, 700, 0, 300, 0}},
        {{1, 1000, 1, 1000, 1, 1000, 1}, {1, 1000, 1, 1000, 1, 1000, 1}},
        // Any non-zero type is FM; a range field other than 1 is the first range, as the
        // generator words take them.
        {{7, 1001, 2, -5, -1, 5000, 3}, {1, 1000, 0, 0, 0, 1000, 0}},
    };
    for (const Case& c : cases) {
        GeneratorSection g;
        g.Mod_Type = c.field.Mod_Type;
        g.Mod_Freq = c.field.Mod_Freq;
        g.Mod_Freq_x = c.field.Mod_Freq_x;
        g.Mod_K = c.field.Mod_K;
        g.Mod_K_x = c.field.Mod_K_x;
        g.Dev_Freq = c.field.Dev_Freq;
        g.Dev_Freq_x = c.field.Dev_Freq_x;
        EXPECT_EQ(shownModulationOptions(g), c.shown) << c.field.Mod_Freq;
    }
}

TEST(OptionFields, ColorFieldsAndDefaults) {
    ScopeState s = edited();
    // Every field reaches its own member.
    EXPECT_EQ(colorField(s.Colors, ColorField::CH_A1), s.Colors.CH_A1);
    EXPECT_EQ(colorField(s.Colors, ColorField::Grid_Frame), s.Colors.Grid_Frame);
    EXPECT_EQ(colorField(s.Colors, ColorField::Extra_Info), s.Colors.Extra_Info);
    setDefaultColors(s);
    const ColorRef defaults[] = {0x00FF00, 0x00FFFF, 0xFFFF00, 0xFF00FF, 0x000000, 0x000000,
                                 0x808080, 0x800000, 0xC08000, 0x808000, 0xFF00FF, 0xC08000};
    for (std::size_t i = 0; i < kColorFieldCount; ++i)
        EXPECT_EQ(colorField(s.Colors, kColorFields[i]), defaults[i]) << i;
    EXPECT_EQ(s.Trigger.N, 200); // only the colours
}

TEST(OptionFields, SecondChannelColoursOnlyWhereTheVariantHasThem) {
    struct Case {
        std::int32_t code;
        bool a2, d2;
    };
    for (const Case c : {Case{0, false, false}, Case{24, false, false}, Case{25, true, false},
                         Case{27, true, true}, Case{63, true, true}}) {
        ScopeState s;
        s.System.Device_Type_Code = c.code;
        EXPECT_EQ(colorFieldPresent(s, ColorField::CH_A2), c.a2) << c.code;
        EXPECT_EQ(colorFieldPresent(s, ColorField::CH_D2), c.d2) << c.code;
        EXPECT_TRUE(colorFieldPresent(s, ColorField::CH_A1));
        EXPECT_TRUE(colorFieldPresent(s, ColorField::FFT));
    }
}

} // namespace
} // namespace qs40
