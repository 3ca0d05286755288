#include "main/captions.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace qs40 {
namespace {

const CaptionEntry& entry(std::string_view name) {
    for (const CaptionEntry& e : captionTable())
        if (e.objectName == name)
            return e;
    throw std::out_of_range(std::string(name));
}

std::string caption(std::string_view name, bool russian, std::int32_t code) {
    const auto c = captionFor(entry(name), russian, code);
    return c ? std::string(*c) : "(unchanged)";
}

TEST(Captions, EveryElementOnceWithBothLanguages) {
    std::set<std::string_view> names;
    for (const CaptionEntry& e : captionTable()) {
        EXPECT_TRUE(names.insert(e.objectName).second) << e.objectName;
        EXPECT_FALSE(e.english.empty()) << e.objectName;
        if (e.shortWhen != ShortWhen::Never) {
            EXPECT_FALSE(e.shortEnglish.empty()) << e.objectName;
            EXPECT_FALSE(e.shortRussian.empty()) << e.objectName;
        }
    }
    EXPECT_EQ(names.size(), 80u);
    EXPECT_EQ(captionTable().front().objectName, "GroupBox1");
    EXPECT_EQ(captionTable().back().objectName, "Menu_About");
}

TEST(Captions, AddedElementsHaveBothLanguagesAndNoNameOfTheTable) {
    std::set<std::string_view> names;
    for (const CaptionEntry& e : captionTable())
        names.insert(e.objectName);
    std::vector<std::string_view> added;
    for (const CaptionEntry& e : addedCaptionTable()) {
        EXPECT_TRUE(names.insert(e.objectName).second) << e.objectName;
        EXPECT_FALSE(e.english.empty()) << e.objectName;
        EXPECT_FALSE(e.russian.empty()) << e.objectName;
        added.push_back(e.objectName);
    }
    EXPECT_EQ(added, (std::vector<std::string_view>{"Menu_Export_Sigrok", "Menu_Export_VCD"}));
}

TEST(Captions, LanguageAndVariantChooseTheText) {
    constexpr std::int32_t kFull = 63, kNone = 0, kNoD2 = 0x1D; // 0x1D: A2 but no D2
    const struct {
        const char* name;
        bool russian;
        std::int32_t code;
        const char* expected;
    } cases[] = {
        {"GroupBox1", false, kFull, "Scope"},
        {"GroupBox1", true, kFull, "Осциллограф"},
        {"SpeedButton_Sngl", true, kNone, "Однокр."},
        {"Menu_Max_FPS", true, kFull, "Осциллограмм в секунду (макс.)"},
        {"Menu_CH_A1", false, kFull, "CH A1"},
        {"Menu_CH_A1", false, kNone, "CH A"},
        {"Menu_CH_A1", true, kNone, "Канал A"},
        {"Menu_CH_A1", true, kNoD2, "Канал A1"},
        {"Menu_CH_D1", true, kNoD2, "Канал D"},
        {"Menu_FM_D1_HF", false, kNoD2, "CH D (HF)"},
        {"Menu_FM_D1_HF", true, kFull, "Канал D1 (ВЧ)"},
        {"Menu_EBin_A1", false, kNone, "CH A..."},
        {"Menu_Smpl_Max", false, kFull, "20000 (A or A+D)"},
        {"Menu_Smpl_Max", true, kFull, "20000 (A или A+D)"},
        {"Menu_Smpl_Max", false, kNone, "20000"},
        {"Menu_Smpl_Max", true, kNone, "20000"},
        {"Menu_Probe_A1", true, kNone, "Пробник"},
        {"Menu_FFT_A1", false, kNone, "FFT"},
        {"Menu_FFT_A2", true, kFull, "БПФ A2"},
        {"Menu_Language", false, kFull, "Language"},
        {"Menu_Language", true, kFull, "(unchanged)"},
        {"Menu_English", true, kFull, "English"},
        {"Menu_Russian", false, kFull, "Russian"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(caption(c.name, c.russian, c.code), c.expected)
            << c.name << " russian " << c.russian << " code " << c.code;
}

} // namespace
} // namespace qs40
