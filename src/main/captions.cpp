#include "main/captions.h"

#include "scope/scope_state.h"

namespace qs40 {
namespace {

using enum ShortWhen;

constexpr CaptionEntry kCaptions[] = {
    {"GroupBox1", "Scope", "Осциллограф"},
    {"StaticText_TimeDiv", "Time/Div", "Время/Дел"},
    {"SpeedButton_Trig", "Trigger", "Синхронизация"},
    {"SpeedButton_Run", "RUN", "Пуск"},
    {"SpeedButton_Sngl", "SINGLE", "Однокр."},
    {"SpeedButton_Auto", "Auto", "Авт."},
    {"GroupBox2", "Generator", "Генератор"},
    {"SpeedButton_GenOn", "ON", "Вкл."},
    {"SpeedButton_Mod", "Mod.", "АМ/ЧМ"},
    {"SpeedButton_Pulse", "Pulse", "Импульсы"},
    {"SpeedButton_Sweep", "Sweep", "ГКЧ"},
    {"Menu_File", "File", "Файл"},
    {"Menu_Open", "Open...", "Открыть..."},
    {"Menu_Open_Settings", "Open Settings...", "Открыть настройки..."},
    {"Menu_Save_As", "Save...", "Сохранить..."},
    {"Menu_Save_Settings_As", "Save Settings...", "Сохранить настройки..."},
    {"Menu_Export", "Export", "Экспорт"},
    {"Menu_Image", "Image...", "Рисунок..."},
    {"Menu_Text", "Text...", "Текст..."},
    {"Menu_Row_Binary", "Row Binary", "Двоичный"},
    {"Menu_EBin_A1", "CH A1...", "Канал A1...", NoA2, "CH A...", "Канал A..."},
    {"Menu_EBin_A2", "CH A2...", "Канал A2..."},
    {"Menu_EBin_D1", "CH D1...", "Канал D1...", NoD2, "CH D...", "Канал D..."},
    {"Menu_EBin_D2", "CH D2...", "Канал D2..."},
    {"Menu_Recorder", "Recorder...", "Самописец..."},
    {"Menu_Device", "Device", "Устройство"},
    {"Menu_Exit", "Exit", "Выход"},
    {"Menu_Options", "Options", "Настройки"},
    {"Menu_Trigger", "Trigger...", "Синхронизация..."},
    {"Menu_FFTSet", "FFT...", "БПФ..."},
    {"Menu_GeneratorSet", "Generator Mod...", "Модуляция генератора..."},
    {"Menu_Sampling", "Sampling", "Выборки"},
    {"Menu_SmplPeakDet", "Peak Detect", "Пиковый детектор"},
    {"Menu_Smpl_Max", "20000 (A or A+D)", "20000 (A или A+D)", NoA2, "20000", "20000"},
    {"Menu_Divisions", "Divisions", "Делений сетки"},
    {"Menu_Max_FPS", "FPS (max)", "Осциллограмм в секунду (макс.)"},
    {"Menu_FPS_NO_LIM", "No Limit", "Не огранич."},
    {"Menu_Probe_A1", "Probe A1", "Пробник A1", NoA2, "Probe", "Пробник"},
    {"Menu_Probe_A2", "Probe A2", "Пробник A2"},
    {"Menu_FreqMeter", "Freq. Meter Input", "Вход частотомера"},
    {"Menu_FM_A1", "CH A1", "Канал A1", NoA2, "CH A", "Канал A"},
    {"Menu_FM_A2", "CH A2", "Канал A2"},
    {"Menu_FM_D1", "CH D1", "Канал D1", NoD2, "CH D", "Канал D"},
    {"Menu_FM_D2", "CH D2", "Канал D2"},
    {"Menu_FM_D1_HF", "CH D1 (HF)", "Канал D1 (ВЧ)", NoD2, "CH D (HF)", "Канал D (ВЧ)"},
    {"Menu_FM_D2_HF", "CH D2 (HF)", "Канал D2 (ВЧ)"},
    {"Menu_FM_Calibrate", "Freq. Meter Calibrate...", "Калибровка частотомера..."},
    {"Menu_ZeroCalibrate", "Zero Calibrate...", "Калибровка уровня нуля..."},
    {"Menu_TDCCalibrate", "TDC Calibrate...", "Калибровка TDC..."},
    {"Menu_View", "View", "Вид"},
    {"Menu_Markers_1", "Markers 1", "Маркеры"},
    {"Menu_Markers_2", "Markers 2", "Маркеры двойные"},
    {"Menu_CH_A1", "CH A1", "Канал A1", NoA2, "CH A", "Канал A"},
    {"Menu_CH_A2", "CH A2", "Канал A2"},
    {"Menu_CH_D1", "CH D1", "Канал D1", NoD2, "CH D", "Канал D"},
    {"Menu_CH_D2", "CH D2", "Канал D2"},
    {"Menu_Measure", "Measure", "Автоизмерения"},
    {"Menu_Grid", "Grid", "Сетка"},
    {"Menu_TrigPosL", "Trig. Position", "Линия синхронизации"},
    {"Menu_Extra_Info", "Extra Info", "Дополнит. информация"},
    {"Menu_BG_View", "B.G. Oscillogram", "Фоновая осциллограмма"},
    {"Menu_Gen_View", "Generator", "Генератор"},
    {"Menu_BG_Do", "Main <-> B.G. Oscillogram", "Обменять с фоновой"},
    {"Menu_BG_Clr", "Clear B.G. Oscillogram", "Стереть фоновую"},
    {"Menu_DrawMode", "Draw Mode", "Прорисовка"},
    {"Menu_Dots", "Dots", "Точки"},
    {"Menu_Vectors", "Vectors", "Векторы"},
    {"Menu_Sinxx", "Sin(x)/x", "Интерполяция Sin(x)/x"},
    {"Menu_Lenta", "Scroll (0.1 .. 20 S/Div)", "Лента (0.1 .. 20 S/Div)"},
    {"Menu_FFT_A1", "FFT A1", "БПФ A1", NoA2, "FFT", "БПФ"},
    {"Menu_FFT_A2", "FFT A2", "БПФ A2"},
    {"Menu_Colors", "Colors...", "Цвета..."},
    {"Menu_On_Top", "Always On Top", "Поверх других окон"},
    {"Menu_Language", "Language", ""},
    {"Menu_Russian", "Russian", "Русский"},
    {"Menu_English", "English", "English"},
    {"Menu_Compact", "Compact View", "Компактный вид"},
    {"Menu_Help", "Help", "Справка"},
    {"Menu_Help_Contents", "Contents", "Вызов справки"},
    {"Menu_About", "About...", "О программе..."},
};

bool shortForm(ShortWhen when, std::int32_t code) {
    switch (when) {
    case NoA2:
        return !hasCapability(code, kCapA2);
    case NoD2:
        return !hasCapability(code, kCapD2);
    case Never:
        break;
    }
    return false;
}

// Items this window has beyond the original caption table.
constexpr CaptionEntry kAddedCaptions[] = {
    {"Menu_Export_Sigrok", "sigrok session...", "Сеанс sigrok..."},
    {"Menu_Export_VCD", "VCD...", "VCD..."},
};

} // namespace

std::span<const CaptionEntry> captionTable() {
    return kCaptions;
}

std::span<const CaptionEntry> addedCaptionTable() {
    return kAddedCaptions;
}

std::optional<std::string_view> captionFor(const CaptionEntry& entry, bool russian,
                                           std::int32_t deviceTypeCode) {
    if (shortForm(entry.shortWhen, deviceTypeCode))
        return russian ? entry.shortRussian : entry.shortEnglish;
    if (!russian)
        return entry.english;
    if (entry.russian.empty())
        return std::nullopt;
    return entry.russian;
}

} // namespace qs40
