// Damaged data files: shorter than their header says, or with header values no instrument
// writes. They load what they hold; `info` and the window say what is wrong.
#include "files/data_file_damage.h"

#include "datafile_fake_ui.h"
#include "datafile_test_support.h"
#include "display/info_readings.h"
#include "files/data_file.h"
#include "files/data_file_info.h"

#include <gtest/gtest.h>

#include <climits>

namespace qs40 {
namespace {

using testing::FileCommandUi;
using testing::patternFrame;
using testing::TempFolder;
using testing::writeFile;

// The file of a frame as the writer makes it, after `change` has spoilt its header; the
// checksum is made to match, as it would be for a file written by a faulty program.
std::string fileBytes(const FrameData& frame, void (*change)(FrameHeader&) = nullptr) {
    FrameData f = frame;
    prepareHeaderForFile(f.header);
    std::string bytes = encodeDataFile(f);
    if (change == nullptr)
        return bytes;
    FrameHeader h = f.header;
    change(h);
    h[kHdrChecksum] = headerChecksum(h);
    for (int i = 0; i < kHeaderFields; ++i)
        for (int b = 0; b < 4; ++b)
            bytes[kDataFileMark.size() + 4 * i + b] =
                static_cast<char>(static_cast<std::uint32_t>(h[i]) >> (8 * b) & 0xFF);
    return bytes;
}

std::vector<DataFileDamage> damageOf(const std::string& bytes) {
    MemoryDataFileInput input(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    auto frame = std::make_unique<FrameData>();
    const DataFileReport report = decodeDataFile(input, *frame);
    EXPECT_EQ(report.status, DataFileStatus::Loaded);
    return dataFileDamage(report);
}

TEST(DataFileDamage, WhatTheProgramWritesIsSound) {
    struct Case {
        const char* what;
        std::unique_ptr<FrameData> frame;
    };
    auto noFrame = std::make_unique<FrameData>(); // saved before any acquisition
    auto slowest = patternFrame(0b1111, 1000, true);
    slowest->header[kHdrDivider] = kLargestDivider;
    slowest->header[kHdrVoltsDivA1] = 200'000'000; // 2 V per division through a x100 probe
    slowest->header[kHdrVoltsDivA2] = 50'000;
    slowest->header[kHdrTrigPos] = 1000;
    slowest->header[kHdrRing] = 1000;
    slowest->header[kHdrTrigSource] = kTrigSourceD2;
    slowest->header[kHdrTrigLevel] = 255;
    slowest->header[kHdrLevelSumA1] = 1000 * 254;
    slowest->header[kHdrPeakToPeakA1] = 252;
    slowest->header[kHdrPeakToPeakA2] = -1;
    slowest->header[kHdrVariant] = 0x3F;
    auto rolling = patternFrame(0b0001, 2000, false); // a roll frame while its ring fills
    rolling->header[kHdrRoll] = 1;
    rolling->header[kHdrValid] = 700;
    rolling->header[kHdrRing] = 700;
    Case cases[] = {
        {"no frame yet", std::move(noFrame)},
        {"pairs, all channels, full arrays", patternFrame(0b1111, kMaxSamples, true)},
        {"the far ends of every field", std::move(slowest)},
        {"roll frame", std::move(rolling)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(damageOf(fileBytes(*c.frame)).empty());
        // Bytes after the last sample are not damage: every sample is there.
        EXPECT_TRUE(damageOf(fileBytes(*c.frame) + "xyz").empty());
    }
}

// One spoilt field at a time of a sound A1+A2 frame of 1000 samples: it is named, with what an
// instrument writes there.
TEST(DataFileDamage, NamesEveryHeaderValueNoInstrumentWrites) {
    struct Case {
        const char* what;
        void (*change)(FrameHeader&);
        int field;
        std::int64_t low, high; // 0, 0: one of the volts-per-division steps
    };
    const Case cases[] = {
        {"variant below", [](FrameHeader& h) { h[kHdrVariant] = -1; }, kHdrVariant, 0, 0xFFFF},
        {"variant above", [](FrameHeader& h) { h[kHdrVariant] = 0x10000; }, kHdrVariant, 0, 0xFFFF},
        {"no divider", [](FrameHeader& h) { h[kHdrDivider] = 0; }, kHdrDivider, 1, kLargestDivider},
        {"negative divider", [](FrameHeader& h) { h[kHdrDivider] = -200; }, kHdrDivider, 1,
         kLargestDivider},
        {"divider too large", [](FrameHeader& h) { h[kHdrDivider] = kLargestDivider + 1; },
         kHdrDivider, 1, kLargestDivider},
        {"odd scale", [](FrameHeader& h) { h[kHdrVoltsDivA1] = 3; }, kHdrVoltsDivA1, 0, 0},
        {"no scale", [](FrameHeader& h) { h[kHdrVoltsDivA2] = 0; }, kHdrVoltsDivA2, 0, 0},
        {"length beyond the arrays", [](FrameHeader& h) { h[kHdrLength] = kMaxSamples + 1; },
         kHdrLength, 0, kMaxSamples},
        {"trigger beyond the record", [](FrameHeader& h) { h[kHdrTrigPos] = INT32_MAX; },
         kHdrTrigPos, 0, 1000},
        {"negative trigger position", [](FrameHeader& h) { h[kHdrTrigPos] = -1; }, kHdrTrigPos, 0,
         1000},
        {"ring beyond the record", [](FrameHeader& h) { h[kHdrRing] = 1001; }, kHdrRing, 0, 1000},
        {"roll flag", [](FrameHeader& h) { h[kHdrRoll] = 2; }, kHdrRoll, 0, 1},
        {"pairs flag", [](FrameHeader& h) { h[kHdrPairs] = -1; }, kHdrPairs, 0, 1},
        {"trigger level", [](FrameHeader& h) { h[kHdrTrigLevel] = 256; }, kHdrTrigLevel, 0, 255},
        {"trigger source", [](FrameHeader& h) { h[kHdrTrigSource] = 5; }, kHdrTrigSource, 0, 4},
        {"channel mask", [](FrameHeader& h) { h[kHdrChannels] = 0x13; }, kHdrChannels, 0, 15},
        {"freq. meter range", [](FrameHeader& h) { h[kHdrFmRange] = 256; }, kHdrFmRange, 0, 255},
        {"level sum beyond the codes", [](FrameHeader& h) { h[kHdrLevelSumA1] = 1000 * 255 + 1; },
         kHdrLevelSumA1, 0, 1000 * 255},
        {"negative level sum", [](FrameHeader& h) { h[kHdrLevelSumA2] = -1; }, kHdrLevelSumA2, 0,
         1000 * 255},
        {"peak-to-peak", [](FrameHeader& h) { h[kHdrPeakToPeakA1] = 256; }, kHdrPeakToPeakA1, -1,
         255},
        {"peak-to-peak below", [](FrameHeader& h) { h[kHdrPeakToPeakA2] = -2; }, kHdrPeakToPeakA2,
         -1, 255},
    };
    const auto frame = patternFrame(0b0011, 1000, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto damage = damageOf(fileBytes(*frame, c.change));
        ASSERT_EQ(damage.size(), 1u);
        const DataFileDamage& d = damage[0];
        EXPECT_EQ(d.kind, DataFileDamage::Kind::ImpossibleValue);
        EXPECT_EQ(d.field, c.field);
        EXPECT_TRUE(damagesField(damage, c.field));
        EXPECT_EQ(d.voltsStep, c.low == 0 && c.high == 0);
        if (!d.voltsStep) {
            EXPECT_EQ(d.low, c.low);
            EXPECT_EQ(d.high, c.high);
        }
    }

    // A header without a frame holds zeros where a frame holds a divider and a scale, but
    // nothing an instrument never writes.
    FrameData none;
    EXPECT_TRUE(damageOf(fileBytes(none)).empty());
    const auto spoilt = damageOf(fileBytes(none, [](FrameHeader& h) { h[kHdrDivider] = -1; }));
    ASSERT_EQ(spoilt.size(), 1u);
    EXPECT_EQ(spoilt[0].low, 0);
}

TEST(DataFileDamage, NamesWhereAShortFileEnds) {
    struct Case {
        const char* what;
        int mask;
        bool pairs;
        std::size_t sampleBytes; // kept after the header
        int channel;
        std::int64_t read;
    };
    const Case cases[] = {
        {"in the second block", 0b0011, false, 1600, 1, 600},
        {"in the first block", 0b0011, false, 10, 0, 10},
        {"no samples at all", 0b1000, false, 0, 3, 0},
        {"half a pair", 0b0101, true, 2000 + 601, 2, 301},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string bytes = fileBytes(*patternFrame(c.mask, 1000, c.pairs));
        const auto damage = damageOf(bytes.substr(0, kDataFileSamplesOffset + c.sampleBytes));
        ASSERT_EQ(damage.size(), 1u);
        EXPECT_EQ(damage[0].kind, DataFileDamage::Kind::Truncated);
        EXPECT_EQ(damage[0].channel, c.channel);
        EXPECT_EQ(damage[0].samplesRead, c.read);
        EXPECT_EQ(damage[0].samplesClaimed, 1000);
    }

    // More samples than the arrays take, and fewer in the file: both are named.
    const std::string big = fileBytes(*patternFrame(0b0001, 1000, false), [](FrameHeader& h) {
        h[kHdrLength] = kMaxSamples;
        h[kHdrValid] = kMaxSamples + 5000;
    });
    const auto damage = damageOf(big);
    ASSERT_EQ(damage.size(), 2u);
    EXPECT_EQ(damage[0].kind, DataFileDamage::Kind::Truncated);
    EXPECT_EQ(damage[0].samplesRead, 1000);
    EXPECT_EQ(damage[0].samplesClaimed, kMaxSamples + 5000);
    EXPECT_EQ(damage[1].field, kHdrValid);
}

TEST(DataFileDamage, TextsInBothLanguages) {
    const DataFileDamage shortFile{.kind = DataFileDamage::Kind::Truncated,
                                   .channel = 1,
                                   .samplesRead = 600,
                                   .samplesClaimed = 1000};
    const DataFileDamage trigger{.kind = DataFileDamage::Kind::ImpossibleValue,
                                 .field = kHdrTrigPos,
                                 .value = INT32_MAX,
                                 .low = 0,
                                 .high = 1000};
    const DataFileDamage scale{.kind = DataFileDamage::Kind::ImpossibleValue,
                               .field = kHdrVoltsDivA1,
                               .value = 3,
                               .voltsStep = true};
    EXPECT_EQ(damageText(shortFile, false), "The file is shorter than its header says: the "
                                            "samples of A2 end after 600 of 1000; the rest "
                                            "shows no sample.");
    EXPECT_EQ(damageText(shortFile, true), "Файл короче, чем сказано в его заголовке: отсчёты A2 "
                                           "обрываются после 600 из 1000; дальше отсчётов нет.");
    EXPECT_EQ(damageText(trigger, false), "Header field 7 (trigger position) holds 2147483647; "
                                          "an instrument writes 0 to 1000 there.");
    EXPECT_EQ(damageText(trigger, true), "Поле заголовка 7 (позиция запуска) содержит "
                                         "2147483647; прибор записывает туда от 0 до 1000.");
    EXPECT_EQ(damageText(scale, false),
              "Header field 2 (A1 volts per division) holds 3; an instrument writes one of its "
              "volts-per-division steps in microvolts there.");
    EXPECT_EQ(damageText(scale, true),
              "Поле заголовка 2 (вольт на деление A1) содержит 3; прибор записывает туда одну из "
              "своих ступеней вольт на деление в микровольтах.");
    EXPECT_EQ(damagedFileText("d.qsd", {shortFile, trigger}, false),
              "d.qsd\r\nThe file is damaged; only what is sound is shown.\r\n" +
                  damageText(shortFile, false) + "\r\n" + damageText(trigger, false));
    EXPECT_EQ(damagedFileText("d.qsd", {scale}, true),
              "d.qsd\r\nФайл повреждён; показано только то, что в нём цело.\r\n" +
                  damageText(scale, true));
}

TEST(DataFileDamage, InfoSaysDamagedAndWhy) {
    TempFolder dir;
    const auto frame = patternFrame(0b0011, 1000, false);
    const std::string sound = dir.file("sound.qsd");
    writeFile(sound, fileBytes(*frame));
    const DataFileDescription good = describeDataFile(sound);
    ASSERT_TRUE(good.valid);
    EXPECT_FALSE(good.damaged);
    EXPECT_EQ(good.text.find("Damaged"), std::string::npos) << good.text;

    const std::string hostile = dir.file("hostile.qsd");
    writeFile(hostile, fileBytes(*frame, [](FrameHeader& h) {
                           h[kHdrTrigPos] = INT32_MAX;
                       }).substr(0, 1774));
    const DataFileDescription bad = describeDataFile(hostile);
    ASSERT_TRUE(bad.valid) << bad.text; // it still loads
    EXPECT_TRUE(bad.damaged);
    const std::string expected = "Variant: 28 ZR4001A\n"
                                 "Damaged:\n"
                                 "  The file is shorter than its header says: the samples of A2 "
                                 "end after 600 of 1000; the rest shows no sample.\n"
                                 "  Header field 7 (trigger position) holds 2147483647; an "
                                 "instrument writes 0 to 1000 there.\n"
                                 "Channels: A1 A2\n";
    EXPECT_NE(bad.text.find(expected), std::string::npos) << bad.text;
}

// The window's open: the sound part is loaded and drawn, then a warning names what is wrong.
class DamagedFileOpen : public ::testing::Test {
protected:
    TempFolder dir;
    FileCommandUi ui;
    ScopeState state;
    FrameSets frames;
    bool askOnVariantChange = true;
    bool announceVariantChange = false;
    int displayed = 0;
    int boxesWhenDrawn = -1;
    std::vector<std::string> settingsRead;

    void SetUp() override {
        state.Common.Russian = false;
        state.System.Device_Type_Code = 28;
    }

    DataFileContext context() {
        DataFileHooks hooks;
        hooks.recomputeAndDisplay = [this] { ++displayed; };
        hooks.readSettings = [this](const std::string& path) { settingsRead.push_back(path); };
        hooks.wait = [this](std::chrono::milliseconds) {
            boxesWhenDrawn = static_cast<int>(ui.boxes.size());
        };
        return {{ui, state, frames}, {askOnVariantChange, announceVariantChange}, hooks};
    }

    std::string write(const std::string& name, const std::string& bytes) {
        const std::string path = dir.file(name);
        writeFile(path, bytes);
        return path;
    }
};

TEST_F(DamagedFileOpen, ShowsWhatIsSoundThenSaysWhatIsWrong) {
    for (bool russian : {false, true}) {
        SCOPED_TRACE(russian ? "ru" : "en");
        ui.boxes.clear();
        state.Common.Russian = russian;
        const auto frame = patternFrame(0b0011, 1000, false);
        const std::string path = write("t.qsd", fileBytes(*frame, [](FrameHeader& h) {
                                                    h[kHdrTrigPos] = INT32_MAX;
                                                }).substr(0, kDataFileSamplesOffset + 1600));
        write("t.qss", "[Scope]\r\n");
        ui.answers = {BoxAnswer::Yes};
        auto ctx = context();
        ASSERT_EQ(openDataFile(ctx, path), DataFileOpenResult::Loaded);

        EXPECT_EQ(boxesWhenDrawn, 0); // drawn before any box
        ASSERT_EQ(ui.boxes.size(), 2u);
        const testing::RecordedBox& box = ui.boxes[0];
        EXPECT_EQ(box.caption, russian ? "Открытие файла данных" : "Open");
        EXPECT_EQ(box.icon, BoxIcon::Exclamation);
        EXPECT_EQ(box.buttons, BoxButtons::Ok);
        EXPECT_NE(box.text.find(russian ? "отсчёты A2 обрываются после 600 из 1000"
                                        : "the samples of A2 end after 600 of 1000"),
                  std::string::npos)
            << box.text;
        EXPECT_NE(box.text.find(russian ? "Поле заголовка 7" : "Header field 7"),
                  std::string::npos);
        EXPECT_EQ(box.text.rfind(path + "\r\n", 0), 0u);
        // The companion question comes after, as for any file.
        EXPECT_EQ(ui.boxes[1].icon, BoxIcon::Question);
        EXPECT_EQ(settingsRead.size(), russian ? 2u : 1u);

        // What the file holds is the current frame, as it is.
        EXPECT_EQ(frames.current->header[kHdrTrigPos], INT32_MAX);
        EXPECT_EQ(frames.current->series[kA2First][599], (599 * 7 + 31) % 255);
        EXPECT_EQ(frames.current->series[kA2First][600], kNoSample);
        EXPECT_TRUE(state.Session.current.valid);
    }
}

TEST_F(DamagedFileOpen, AnImpossibleVariantRebuildsNothing) {
    const auto frame = patternFrame(0b0001, 100, false);
    const std::string impossible =
        write("v.qsd", fileBytes(*frame, [](FrameHeader& h) { h[kHdrVariant] = 0x7FFF0000; }));
    auto ctx = context();
    ASSERT_EQ(openDataFile(ctx, impossible), DataFileOpenResult::Loaded);
    EXPECT_FALSE(announceVariantChange);
    EXPECT_FALSE(askOnVariantChange); // nor is it asked about after the next Run
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(ui.boxes[0].text.find("Header field 0 (variant code)"), std::string::npos);

    // Another variant that exists is announced even when another field is damaged.
    ui.boxes.clear();
    const std::string other = write("w.qsd", fileBytes(*frame, [](FrameHeader& h) {
                                        h[kHdrVariant] = 31;
                                        h[kHdrTrigLevel] = -5;
                                    }));
    ASSERT_EQ(openDataFile(ctx, other), DataFileOpenResult::Loaded);
    EXPECT_TRUE(announceVariantChange);
    EXPECT_EQ(ui.boxes.size(), 1u);
}

} // namespace
} // namespace qs40
