// The recorder's information lines, byte-count grouping, elapsed time and companion text.
#include <gtest/gtest.h>

#include "files/recorder_companion.h"
#include "files/recorder_info.h"

#include <chrono>

namespace qs40 {
namespace {

using namespace std::chrono_literals;

TEST(RecorderSizeGrouping, ABlankBeforeTheLastThreeAndTheLastSixDigits) {
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0"},
        {123, "123"},
        {999, "999"},
        {1000, "1 000"},
        {1234, "1 234"},
        {999999, "999 999"},
        {1000000, "1 000 000"},
        {1234567, "1 234 567"},
        {1234567890, "1234 567 890"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(groupedByteCount(c.bytes), c.text) << c.bytes;
}

TEST(RecorderElapsed, WholeDaysThenTheTimeOfDay) {
    EXPECT_EQ(elapsedText(0s), "0  00:00:00");
    EXPECT_EQ(elapsedText(3723s), "0  01:02:03");
    EXPECT_EQ(elapsedText(86400s + 3661s), "1  01:01:01");
    EXPECT_EQ(elapsedText(-5s), "0  00:00:00");
}

TEST(RecorderSizeLabel, DotsUntilRecordedThenCountAndTime) {
    EXPECT_EQ(recorderSizeLabel(false, 5, 1s, false), "Size = ...");
    EXPECT_EQ(recorderSizeLabel(false, 5, 1s, true), "Записано = ...");
    EXPECT_EQ(recorderSizeLabel(true, 1234567, 3723s, false),
              "Size = 1 234 567 Bytes    Time = 0  01:02:03");
    EXPECT_EQ(recorderSizeLabel(true, 12, 1s, true), "Записано = 12 Байт    Время = 0  00:00:01");
}

// 0.1 s/div on 10000 samples: a sample every 100 us (step 10000 x 10 ns), 10 kHz.
RecorderFrameFacts slowFrame(bool peak) {
    std::array<std::int32_t, kHeaderFields> h{};
    h[kHdrDivider] = 10000;
    h[kHdrVoltsDivA1] = 1000000;
    h[kHdrZeroA1] = 131;
    h[kHdrPairs] = peak ? 1 : 0;
    return recorderFactsOf(h);
}

TEST(RecorderInfoLines, RateModeSpeedStepsAndZeroInBothLanguages) {
    EXPECT_EQ(recorderInfoLines(slowFrame(false), false),
              (std::vector<std::string>{
                  "Sampling rate = 10.0 KHz", "Peak detector off, bytes per sample = 1",
                  "Write speed = 34.332275 MBytes/hour", "", "Time step = 100.0 uS",
                  "Voltage step = 31.25 mV", "Zero level = 131", ""}));
    // Peak detection doubles the speed; the locale's separator is used.
    EXPECT_EQ(recorderInfoLines(slowFrame(true), true, ","),
              (std::vector<std::string>{"Частота дискретизации = 10,0 KHz",
                                        "Пиковый детектор включен, байт на отсчет = 2",
                                        "Скорость записи = 68,664551 МБайт/час", "",
                                        "Шаг по времени = 100,0 uS", "Шаг по напряжению = 31,25 mV",
                                        "Уровень нуля = 131", ""}));
}

TEST(RecorderInfoLines, NoFrameYetIsNotReady) {
    EXPECT_EQ(recorderInfoLines({}, false), (std::vector<std::string>{"Not ready.", ""}));
    EXPECT_EQ(recorderInfoLines({}, true), (std::vector<std::string>{"Не готов.", ""}));
}

TEST(RecorderCompanion, TheExtensionIsReplacedByTxt) {
    EXPECT_EQ(companionPathOf("/data/rec.bin"), "/data/rec.txt");
    EXPECT_EQ(companionPathOf("/data/run.1/rec"), "/data/run.1/rec.txt");
    EXPECT_EQ(companionPathOf("/data/rec.2026.bin"), "/data/rec.2026.txt");
}

TEST(RecorderCompanion, NameInfoLinesSizeAndTimeEndedByCrLf) {
    EXPECT_EQ(companionText("/data/rec.bin", {"Line 1", "", "Start recording = X"}, 1234567, 90061s,
                            false),
              "Oscilloscope recorder file = rec.bin\r\n\r\nLine 1\r\n\r\n"
              "Start recording = X\r\nSize = 1234567 Bytes\r\nTime = 1  01:01:01\r\n");
    EXPECT_EQ(companionText("/data/rec.bin", {}, 7, 2s, true),
              "Файл самописца = rec.bin\r\n\r\nЗаписано = 7 Байт\r\nВремя = 0  00:00:02\r\n");
}

} // namespace
} // namespace qs40
