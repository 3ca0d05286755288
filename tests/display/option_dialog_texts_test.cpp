#include "display/option_dialog_texts.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

GeneratorSection modulation(std::int32_t freq, std::int32_t freqX, std::int32_t k, std::int32_t kX,
                            std::int32_t dev, std::int32_t devX) {
    GeneratorSection g;
    g.Mod_Freq = freq;
    g.Mod_Freq_x = freqX;
    g.Mod_K = k;
    g.Mod_K_x = kX;
    g.Dev_Freq = dev;
    g.Dev_Freq_x = devX;
    return g;
}

TEST(ModulationCaptions, ShowTheEffectiveValues) {
    struct Case {
        GeneratorSection g;
        const char* modFreq;
        const char* depth;
        const char* devFm;
    };
    const Case cases[] = {
        // The defaults: 100 steps of 10 Hz, 70.0 %, 300 steps of 10 Hz.
        {GeneratorSection{}, "Mod. Freq. = 1.00 KHz", "K AM = 70.0 %", "Dev. FM = 3.00 KHz"},
        // The upper ends of both ranges.
        {modulation(1000, 0, 1000, 0, 1000, 0), "Mod. Freq. = 10.0 KHz", "K AM = 100.0 %",
         "Dev. FM = 10.0 KHz"},
        {modulation(1000, 1, 1000, 1, 1000, 1), "Mod. Freq. = 100 KHz", "K AM = 200.0 %",
         "Dev. FM = 100 KHz"},
        // Steps of 100 Hz and 0.2 % on the second ranges.
        {modulation(1, 1, 1, 1, 7, 1), "Mod. Freq. = 100 Hz", "K AM = 0.2 %", "Dev. FM = 700 Hz"},
        // Zero falls in the formatter's lowest frequency range.
        {modulation(0, 0, 0, 0, 0, 0), "Mod. Freq. = 0.00 mHz", "K AM = 0.0 %",
         "Dev. FM = 0.00 mHz"},
        // Fields beyond the bars read as the bars show them.
        {modulation(5000, 1, 4000, 1, -3, 0), "Mod. Freq. = 100 KHz", "K AM = 200.0 %",
         "Dev. FM = 0.00 mHz"},
    };
    for (const Case& c : cases) {
        const ModulationCaptions m = modulationCaptions(c.g, false);
        EXPECT_EQ(m.modFreq, c.modFreq);
        EXPECT_EQ(m.depth, c.depth);
        EXPECT_EQ(m.devFm, c.devFm);
    }
}

TEST(ModulationCaptions, RussianAndTheDecimalSeparator) {
    const ModulationCaptions m = modulationCaptions(modulation(25, 0, 333, 1, 5, 0), true, ",");
    EXPECT_EQ(m.modFreq, "Модулирующая частота = 250 Hz");
    EXPECT_EQ(m.depth, "Коэффициент АМ = 66,6 %");
    EXPECT_EQ(m.devFm, "Девиация ЧМ = 50,0 Hz");
}

TEST(OptionDialogTexts, Trigger) {
    const TriggerDialogTexts en = triggerDialogTexts(false);
    EXPECT_EQ(en.title, "Trigger Settings");
    EXPECT_EQ(en.preTrigger, "Pre trigger");
    ASSERT_EQ(en.preTriggerItems.size(), 10u);
    EXPECT_EQ(en.preTriggerItems.front(), "Off");
    EXPECT_EQ(en.preTriggerItems[1], "1 Div");
    EXPECT_EQ(en.preTriggerItems.back(), "9 Div");
    EXPECT_EQ(en.noiseReject, "Noise reject");
    EXPECT_EQ(en.noiseRejectItems,
              (std::vector<std::string>{"Off", "0,1 Div", "0,2 Div", "0,5 Div", "1 Div", "2 Div"}));
    EXPECT_EQ(en.cancel, "Cancel");
    EXPECT_EQ(trigNLabel(17, false), "Trigger N = 17");

    const TriggerDialogTexts ru = triggerDialogTexts(true);
    EXPECT_EQ(ru.title, "Установки синхронизации");
    EXPECT_EQ(ru.preTrigger, "Длина предвыборки ");
    EXPECT_EQ(ru.preTriggerItems.front(), "Выкл.");
    EXPECT_EQ(ru.preTriggerItems[4], "4 дел");
    EXPECT_EQ(ru.noiseReject, "Шумоподавление");
    EXPECT_EQ(ru.noiseRejectItems, (std::vector<std::string>{"Выкл.", "0,1 дел", "0,2 дел",
                                                             "0,5 дел", "1 дел", "2 дел"}));
    EXPECT_EQ(ru.ok, "OK");
    EXPECT_EQ(ru.cancel, "Отмена");
    EXPECT_EQ(trigNLabel(255, true), "Номер фронта/среза = 255");
}

TEST(OptionDialogTexts, Fft) {
    const FftDialogTexts en = fftDialogTexts(false);
    EXPECT_EQ(en.title, "FFT Settings");
    EXPECT_EQ(en.sizeItems,
              (std::vector<std::string>{"1024", "2048", "4096", "8192", "16384", "32768"}));
    EXPECT_EQ(en.windowItems, (std::vector<std::string>{"Rectangular", "Hann", "Flat top"}));
    EXPECT_EQ(en.scaleItems,
              (std::vector<std::string>{"dBV", "dBm (50 Ohm)", "dBm (75 Ohm)", "dBm (600 Ohm)"}));
    EXPECT_EQ(en.dbvToVolt, "dBV -> Volt");

    const FftDialogTexts ru = fftDialogTexts(true);
    EXPECT_EQ(ru.title, "Установки БПФ");
    EXPECT_EQ(ru.size, "Размер");
    EXPECT_EQ(ru.sizeItems, en.sizeItems);
    EXPECT_EQ(ru.window, "Весовое окно");
    EXPECT_EQ(ru.windowItems, (std::vector<std::string>{"Прямоугольное", "Ханна", "Плоское"}));
    EXPECT_EQ(ru.scale, "По вертикали");
    EXPECT_EQ(ru.scaleItems,
              (std::vector<std::string>{"дБВ", "дБм (50 Ом)", "дБм (75 Ом)", "дБм (600 Ом)"}));
    EXPECT_EQ(ru.dbvToVolt, "дБВ -> Вольты");
    EXPECT_EQ(ru.cancel, "Отмена");
}

TEST(OptionDialogTexts, Modulation) {
    const ModulationDialogTexts en = modulationDialogTexts(false);
    EXPECT_EQ(en.title, "Generator Modulation Settings");
    EXPECT_EQ(en.am, "AM");
    EXPECT_EQ(en.fm, "FM");
    EXPECT_EQ(en.depthHigh, "200%");
    const ModulationDialogTexts ru = modulationDialogTexts(true);
    EXPECT_EQ(ru.title, "Установки модуляции генератора");
    EXPECT_EQ(ru.am, "\u0410\u041C"); // Cyrillic, like "ЧМ"
    EXPECT_EQ(ru.fm, "ЧМ");
    EXPECT_EQ(ru.modFreqHigh, "100K");
    EXPECT_EQ(ru.cancel, "Отмена");
}

TEST(OptionDialogTexts, ColorButtonsFollowTheVariant) {
    const ColorDialogTexts full = colorDialogTexts(false, 63);
    EXPECT_EQ(full.title, "Color Settings");
    const std::array<std::string, kColorFieldCount> en = {
        "Signal A1", "Signal A2", "Signal D1",  "Signal D2",      "Background", "Border",
        "Markers",   "Grid",      "Grid frame", "Trig. position", "FFT",        "Extra info"};
    EXPECT_EQ(full.buttons, en);
    EXPECT_EQ(full.defaults, "Default");

    struct Case {
        std::int32_t code;
        bool russian;
        const char* a1;
        const char* d1;
    };
    for (const Case& c :
         {Case{0, false, "Signal A", "Signal D"}, Case{25, false, "Signal A1", "Signal D"},
          Case{24, true, "Сигнал A", "Сигнал D"}, Case{27, true, "Сигнал A1", "Сигнал D1"}}) {
        const ColorDialogTexts t = colorDialogTexts(c.russian, c.code);
        EXPECT_EQ(t.buttons[0], c.a1) << c.code;
        EXPECT_EQ(t.buttons[2], c.d1) << c.code;
    }

    const ColorDialogTexts ru = colorDialogTexts(true, 63);
    EXPECT_EQ(ru.title, "Установки цветов");
    const std::array<std::string, kColorFieldCount> russian = {
        "Сигнал A1", "Сигнал A2", "Сигнал D1",   "Сигнал D2",    "Фон сетки", "Фон полей",
        "Маркеры",   "Сетка",     "Рамка сетки", "Линия синхр.", "БПФ",       "Доп. информ."};
    EXPECT_EQ(ru.buttons, russian);
    EXPECT_EQ(ru.defaults, "По умолч.");
    EXPECT_EQ(ru.cancel, "Отмена");
}

} // namespace
} // namespace qs40
