#include "scope/calibration_texts.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace qs40 {

CalibrationTexts calibrationTexts(CalibrationKind kind, bool russian) {
    CalibrationTexts t;
    t.ok = "OK";
    t.start = russian ? "Старт" : "Start";
    t.cancel = russian ? "Отмена" : "Cancel";
    t.measuring = russian ? "Идет калибровка ..." : "Calibration, please wait...";
    t.failed = russian ? "Ошибка калибровки." : "Calibration failed.";
    t.done = russian ? "Калибровка закончена." : "Calibration OK.";
    switch (kind) {
    case CalibrationKind::Zero:
        t.title = russian ? "Калибровка уровня нуля" : "Zero Calibrate";
        t.info = russian ? "Отключите всё от разъемов устройства."
                         : "Disconnect anything from BNC's and press Start button.";
        break;
    case CalibrationKind::FreqMeter:
        t.title = russian ? "Калибровка частотомера" : "Freq. Meter Calibrate";
        break;
    case CalibrationKind::Tdc:
        t.title = russian ? "Калибровка TDC" : "TDC Calibrate";
        t.info = russian ? "Подключите каналы D1, D2 к выходу генератора."
                         : "Connect generator to D1, D2 chanels and press Start button.";
        break;
    }
    return t;
}

std::string calibrationErrorCaption(bool russian) {
    return russian ? "Ошибка калибровки" : "Calibrate Error";
}

std::string deviceNotFoundText(bool russian) {
    return russian ? "Устройство не найдено." : "Device not found.";
}

std::string tdcRiseLabel(bool russian) {
    return russian ? "Фронт = " : "Rise = ";
}

std::string tdcFallLabel(bool russian) {
    return russian ? "     Срез = " : "     Fall = ";
}

std::string ppmLabel(std::int32_t time, char decimalSeparator) {
    // Hundredths as a whole number, so the text does not depend on the C locale.
    const long long hundredths = std::llround(time * 0.2 * 100);
    const long long whole = std::llabs(hundredths) / 100;
    const long long part = std::llabs(hundredths) % 100;
    char text[48];
    std::snprintf(text, sizeof text, "PPM = %s%lld%c%02lld", hundredths < 0 ? "-" : "", whole,
                  decimalSeparator, part);
    return text;
}

} // namespace qs40
