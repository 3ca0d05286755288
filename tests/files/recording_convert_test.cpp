#include "files/recording_convert.h"

#include <gtest/gtest.h>

namespace qs40 {
namespace {

// A companion as the recorder writes it at Stop.
const std::string kEnglishCompanion = "Oscilloscope recorder file = rec.bin\r\n"
                                      "\r\n"
                                      "Sampling rate = 5.000 KHz\r\n"
                                      "Peak detector off, bytes per sample = 1\r\n"
                                      "Write speed = 17.166138 MBytes/hour\r\n"
                                      "\r\n"
                                      "Time step = 200.0 uS\r\n"
                                      "Voltage step = 31.25 mV\r\n"
                                      "Zero level = 128\r\n"
                                      "\r\n"
                                      "Start recording = 10.12.2026 17:00:00\r\n"
                                      "Stop recording = 10.12.2026 18:00:00\r\n"
                                      "Size = 18000000 Bytes\r\n"
                                      "Time = 0  01:00:00\r\n";

const std::string kRussianCompanion = "Файл самописца = rec.bin\r\n"
                                      "\r\n"
                                      "Частота дискретизации = 25,00 Hz\r\n"
                                      "Пиковый детектор включен, байт на отсчет = 2\r\n"
                                      "Скорость записи = 0,171661 МБайт/час\r\n"
                                      "\r\n"
                                      "Шаг по времени = 40,00 mS\r\n"
                                      "Шаг по напряжению = 3,125 V\r\n"
                                      "Уровень нуля = 60\r\n"
                                      "\r\n"
                                      "Записано = 1000 Байт\r\n";

TEST(FormattedValues, ReadBackInTheirBaseUnit) {
    const std::pair<const char*, double> times[] = {
        {"10.00 nS", 10}, {"200.0 uS", 2e5}, {"1,000 mS", 1e6}, {"40.00 mS", 4e7}, {"2.000 S", 2e9},
    };
    for (const auto& [text, ns] : times)
        EXPECT_DOUBLE_EQ(parseFormattedTime(text).value_or(-1), ns) << text;
    const std::pair<const char*, double> voltages[] = {
        {"0.1563 mV", 156.3}, {"31.25 mV", 31250}, {"3,125 V", 3.125e6},
        {"1.250 KV", 1.25e9}, {"-2.000 V", -2e6},
    };
    for (const auto& [text, uv] : voltages)
        EXPECT_DOUBLE_EQ(parseFormattedVoltage(text).value_or(-1), uv) << text;
    for (const char* bad : {"1.000", "1.000 Hz", "x.5 mS", "NaN", "INF", "", "1.000 mV"})
        EXPECT_FALSE(parseFormattedTime(bad).has_value()) << bad;
    EXPECT_FALSE(parseFormattedVoltage("1.000 mS").has_value());
}

TEST(RecordingCompanion, BothLanguages) {
    const auto english = parseRecordingCompanion(kEnglishCompanion);
    ASSERT_TRUE(english.description) << english.problem;
    EXPECT_EQ(english.description->bytesPerSample, 1);
    EXPECT_DOUBLE_EQ(english.description->timeStepNs, 2e5);
    EXPECT_DOUBLE_EQ(english.description->voltageStepUv, 31250);
    EXPECT_EQ(english.description->zeroLevel, 128);

    const auto russian = parseRecordingCompanion(kRussianCompanion);
    ASSERT_TRUE(russian.description) << russian.problem;
    EXPECT_EQ(russian.description->bytesPerSample, 2);
    EXPECT_DOUBLE_EQ(russian.description->timeStepNs, 4e7);
    EXPECT_DOUBLE_EQ(russian.description->voltageStepUv, 3.125e6);
    EXPECT_EQ(russian.description->zeroLevel, 60);
}

TEST(RecordingCompanion, WhatCannotBeReadIsSaid) {
    const auto replaced = [](std::string from, std::string_view line, std::string_view by) {
        from.replace(from.find(line), line.size(), by);
        return from;
    };
    struct Case {
        const char* what;
        std::string text;
        const char* problem;
    };
    const Case cases[] = {
        {"not ready", "Oscilloscope recorder file = r.bin\r\n\r\nNot ready.\r\n\r\n",
         "the recording was started before the first frame (\"Not ready.\")"},
        {"no zero level", replaced(kEnglishCompanion, "Zero level = 128\r\n", ""),
         "no zero level in it"},
        {"nothing", "", "no bytes per sample, time step, voltage step, zero level in it"},
        {"three bytes", replaced(kEnglishCompanion, "sample = 1", "sample = 3"),
         "bytes per sample must be 1 or 2, not '3'"},
        {"time step in volts", replaced(kEnglishCompanion, "200.0 uS", "200.0 mV"),
         "the time step '200.0 mV' is not a time"},
        {"zero level text", replaced(kEnglishCompanion, "= 128", "= low"),
         "the zero level 'low' is not a number"},
    };
    for (const Case& c : cases) {
        const auto read = parseRecordingCompanion(c.text);
        EXPECT_FALSE(read.description) << c.what;
        EXPECT_EQ(read.problem, c.problem) << c.what;
    }
}

TEST(RecordingConversion, SessionInVoltsAtTheRecordedRate) {
    const RecordingDescription plain{1, 2e5, 31250, 128};
    const std::string bytes("\x80\x81\x7E\xFF", 4);
    const SigrokSession s = recordingSession(bytes, plain);
    EXPECT_EQ(s.sampleRate, 5000u);
    EXPECT_TRUE(s.logicNames.empty());
    ASSERT_EQ(s.analog.size(), 1u);
    EXPECT_EQ(s.analog[0].name, "A1");
    const std::vector<float> expected{0.0f, 0.03125f, -0.0625f, 127 * 0.03125f};
    EXPECT_EQ(s.analog[0].values, expected);

    // Whatever zero level a companion gives.
    const SigrokSession far = recordingSession(std::string("\x00", 1), {1, 2e5, 1e6, INT32_MIN});
    EXPECT_FLOAT_EQ(far.analog[0].values[0], static_cast<float>(-static_cast<double>(INT32_MIN)));

    // With pairs an odd last byte is half a position and left out.
    const RecordingDescription pairs{2, 4e7, 3.125e6, 60};
    const SigrokSession p = recordingSession(std::string("\x3C\x3E\x3B\x3D\x40", 5), pairs);
    EXPECT_EQ(p.sampleRate, 25u);
    ASSERT_EQ(p.analog.size(), 2u);
    EXPECT_EQ(p.analog[0].name, "A1_min");
    EXPECT_EQ(p.analog[1].name, "A1_max");
    EXPECT_EQ(p.analog[0].values, (std::vector<float>{0.0f, -3.125f}));
    EXPECT_EQ(p.analog[1].values, (std::vector<float>{6.25f, 3.125f}));
}

std::string produced(const ByteProducer& producer, int* blocks = nullptr) {
    std::string out;
    const bool ok = producer([&](std::string_view b) {
        out += b;
        if (blocks != nullptr)
            ++*blocks;
        return true;
    });
    EXPECT_TRUE(ok);
    return out;
}

TEST(RecordingConversion, CsvOfTimeAndVolts) {
    const std::string plainBytes("\x80\x81\x7E", 3);
    EXPECT_EQ(produced(recordingCsv(plainBytes, {1, 2e5, 31250, 128})), "time_s,A1_V\r\n"
                                                                        "0,0\r\n"
                                                                        "0.0002,0.03125\r\n"
                                                                        "0.0004,-0.0625\r\n");
    const std::string pairBytes("\x3C\x3E\x3B\x3D\x40", 5);
    EXPECT_EQ(produced(recordingCsv(pairBytes, {2, 4e7, 156.3, 60})),
              "time_s,A1_min_V,A1_max_V\r\n"
              "0,0,0.0003126\r\n"
              "0.04,-0.0001563,0.0001563\r\n");
}

TEST(RecordingConversion, LongCsvComesInBlocksAndStopsWhenTheSinkFails) {
    // Two minutes at 5 kHz: several blocks.
    const std::string bytes(600'000, '\x80');
    const RecordingDescription d{1, 2e5, 31250, 128};
    int blocks = 0;
    const std::string csv = produced(recordingCsv(bytes, d), &blocks);
    EXPECT_GT(blocks, 1);
    EXPECT_TRUE(csv.ends_with("\r\n119.9998,0\r\n"));
    int calls = 0;
    EXPECT_FALSE(recordingCsv(bytes, d)([&](std::string_view) { return ++calls < 2; }));
    EXPECT_EQ(calls, 2);
}

} // namespace
} // namespace qs40
