#include "files/recorder_texts.h"

namespace qs40 {
namespace {

constexpr RecorderTexts kEnglish{
    "Recorder",
    "File",
    "Start",
    "Stop",
    "Exit",
    "Size = ...",
    "Sampling rate = ",
    "Peak detector on, bytes per sample = 2",
    "Peak detector off, bytes per sample = 1",
    "Write speed = ",
    " MBytes/hour",
    "Time step = ",
    "Voltage step = ",
    "Zero level = ",
    "Not ready.",
    "Start recording = ",
    "Stop recording = ",
    "Recording ended: ",
    "Recorder File",
    "Recorder File (*.bin)|*.bin",
    "Warning",
    "Stop recording?",
    "Size = ",
    " Bytes",
    "    Time = ",
    "Save Text File For Recorder File",
    "Oscilloscope recorder file = ",
    "Size = ",
    "Time = ",
    "Recorder",
    "Run 0.1 .. 20 S/Div. Disable Trigger.",
    "the file could not be written",
    "USB connection lost (error code 1)",
    "FPGA configuration failure (error code 2)",
    "power failure (error code 3)",
    "FPGA configuration lost (error code 4)",
};

constexpr RecorderTexts kRussian{
    "Самописец",
    "Файл",
    "Старт",
    "Стоп",
    "Выход",
    "Записано = ...",
    "Частота дискретизации = ",
    "Пиковый детектор включен, байт на отсчет = 2",
    "Пиковый детектор выключен, байт на отсчет = 1",
    "Скорость записи = ",
    " МБайт/час",
    "Шаг по времени = ",
    "Шаг по напряжению = ",
    "Уровень нуля = ",
    "Не готов.",
    "Начало записи = ",
    "Конец записи = ",
    "Запись прервана: ",
    "Файл самописца",
    "Файл самописца ZR40 (*.bin)|*.bin",
    "Предупреждение",
    "Прервать запись самописца?",
    "Записано = ",
    " Байт",
    "    Время = ",
    "Сохранение сопутствующего текстового файла.",
    "Файл самописца = ",
    "Записано = ",
    "Время = ",
    "Самописец",
    "Запустите развертку 0.1 .. 20 S/Div. Отключите синхронизацию.",
    "ошибка записи в файл",
    "потеря связи с устройством (код ошибки 1)",
    "сбой инициализации FPGA (код ошибки 2)",
    "сбой питания устройства (код ошибки 3)",
    "потеря конфигурации FPGA (код ошибки 4)",
};

} // namespace

const RecorderTexts& recorderTexts(bool russian) {
    return russian ? kRussian : kEnglish;
}

} // namespace qs40
