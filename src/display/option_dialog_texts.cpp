#include "display/option_dialog_texts.h"

#include "display/unit_format.h"

namespace qs40 {

namespace {

constexpr const char* kOk = "OK";

std::string pick(bool russian, const char* en, const char* ru) {
    return russian ? ru : en;
}

// Modulation frequency and FM deviation: bar steps of 10 Hz, or 100 Hz on the x10 range.
std::string frequency(std::int32_t bar, std::int32_t x10, std::string_view sep) {
    const double hz = static_cast<double>(bar) * (x10 == 1 ? 10.0 : 1.0) * 10.0;
    return fmt(hz, UnitKind::Frequency, -3, sep);
}

} // namespace

TriggerDialogTexts triggerDialogTexts(bool ru) {
    TriggerDialogTexts t;
    t.title = pick(ru, "Trigger Settings", "Установки синхронизации");
    t.preTrigger = pick(ru, "Pre trigger", "Длина предвыборки ");
    const std::string div = pick(ru, " Div", " дел");
    t.preTriggerItems.push_back(pick(ru, "Off", "Выкл."));
    for (int i = 1; i <= 9; ++i)
        t.preTriggerItems.push_back(std::to_string(i) + div);
    t.noiseReject = pick(ru, "Noise reject", "Шумоподавление");
    t.noiseRejectItems = {
        pick(ru, "Off", "Выкл."), "0,1" + div, "0,2" + div, "0,5" + div, "1" + div, "2" + div};
    t.ok = kOk;
    t.cancel = pick(ru, "Cancel", "Отмена");
    return t;
}

std::string trigNLabel(std::int32_t n, bool ru) {
    return pick(ru, "Trigger N = ", "Номер фронта/среза = ") + std::to_string(n);
}

FftDialogTexts fftDialogTexts(bool ru) {
    FftDialogTexts t;
    t.title = pick(ru, "FFT Settings", "Установки БПФ");
    t.size = pick(ru, "Size", "Размер");
    t.sizeItems = {"1024", "2048", "4096", "8192", "16384", "32768"};
    t.window = pick(ru, "Window", "Весовое окно");
    t.windowItems = {pick(ru, "Rectangular", "Прямоугольное"), pick(ru, "Hann", "Ханна"),
                     pick(ru, "Flat top", "Плоское")};
    t.scale = pick(ru, "Scale", "По вертикали");
    t.scaleItems = {pick(ru, "dBV", "дБВ"), pick(ru, "dBm (50 Ohm)", "дБм (50 Ом)"),
                    pick(ru, "dBm (75 Ohm)", "дБм (75 Ом)"),
                    pick(ru, "dBm (600 Ohm)", "дБм (600 Ом)")};
    t.dbvToVolt = pick(ru, "dBV -> Volt", "дБВ -> Вольты");
    t.ok = kOk;
    t.cancel = pick(ru, "Cancel", "Отмена");
    return t;
}

ModulationDialogTexts modulationDialogTexts(bool ru) {
    ModulationDialogTexts t;
    t.title = pick(ru, "Generator Modulation Settings", "Установки модуляции генератора");
    t.am = pick(ru, "AM", "АМ"); // Cyrillic letters, as on the front panel's Mod. button
    t.fm = pick(ru, "FM", "ЧМ");
    t.modFreqLow = t.devLow = "10K";
    t.modFreqHigh = t.devHigh = "100K";
    t.depthLow = "100%";
    t.depthHigh = "200%";
    t.ok = kOk;
    t.cancel = pick(ru, "Cancel", "Отмена");
    return t;
}

ModulationCaptions modulationCaptions(const GeneratorSection& generator, bool ru,
                                      std::string_view sep) {
    const ModulationOptions m = shownModulationOptions(generator);
    ModulationCaptions c;
    c.modFreq = pick(ru, "Mod. Freq. = ", "Модулирующая частота = ") +
                frequency(m.Mod_Freq, m.Mod_Freq_x, sep);
    const double percent = static_cast<double>(m.Mod_K) * (m.Mod_K_x == 1 ? 2.0 : 1.0) * 0.1;
    c.depth = pick(ru, "K AM = ", "Коэффициент АМ = ") + formatFixed(percent, 1, sep) + " %";
    c.devFm = pick(ru, "Dev. FM = ", "Девиация ЧМ = ") + frequency(m.Dev_Freq, m.Dev_Freq_x, sep);
    return c;
}

ColorDialogTexts colorDialogTexts(bool ru, std::int32_t code) {
    const bool a2 = hasCapability(code, kCapA2);
    const bool d2 = hasCapability(code, kCapD2);
    const std::string signal = pick(ru, "Signal ", "Сигнал ");
    ColorDialogTexts t;
    t.title = pick(ru, "Color Settings", "Установки цветов");
    t.buttons = {signal + (a2 ? "A1" : "A"),
                 signal + "A2",
                 signal + (d2 ? "D1" : "D"),
                 signal + "D2",
                 pick(ru, "Background", "Фон сетки"),
                 pick(ru, "Border", "Фон полей"),
                 pick(ru, "Markers", "Маркеры"),
                 pick(ru, "Grid", "Сетка"),
                 pick(ru, "Grid frame", "Рамка сетки"),
                 pick(ru, "Trig. position", "Линия синхр."),
                 pick(ru, "FFT", "БПФ"),
                 pick(ru, "Extra info", "Доп. информ.")};
    t.defaults = pick(ru, "Default", "По умолч.");
    t.ok = kOk;
    t.cancel = pick(ru, "Cancel", "Отмена");
    return t;
}

} // namespace qs40
