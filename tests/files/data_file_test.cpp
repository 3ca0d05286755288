#include "files/data_file.h"

#include "datafile_fake_ui.h"
#include "datafile_file_size_limit.h"
#include "datafile_test_support.h"
#include "files/data_file_format.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace qs40 {
namespace {

using namespace std::chrono_literals;
using testing::FileCommandUi;
using testing::patternFrame;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

class DataFileTest : public ::testing::Test {
protected:
    TempFolder dir;
    FileCommandUi ui;
    ScopeState state;
    FrameSets frames;
    bool askOnVariantChange = true;
    bool announceVariantChange = false;
    int recomputed = 0;
    std::vector<std::chrono::milliseconds> waits;
    std::vector<std::string> settingsWritten; // with the size the file had when the writer ran
    std::vector<std::string> settingsRead;
    bool settingsWriteOk = true;

    void SetUp() override { state.Common.Russian = false; }

    DataFileContext context() {
        DataFileHooks hooks;
        hooks.recomputeAndDisplay = [this] { ++recomputed; };
        hooks.writeSettings = [this](const std::string& path) {
            settingsWritten.push_back(path + " size " + std::to_string(readFile(path).size()));
            return settingsWriteOk;
        };
        hooks.readSettings = [this](const std::string& path) { settingsRead.push_back(path); };
        hooks.wait = [this](std::chrono::milliseconds ms) { waits.push_back(ms); };
        return {{ui, state, frames}, {askOnVariantChange, announceVariantChange}, hooks};
    }

    void useFrame(std::unique_ptr<FrameData> f) { *frames.current = *f; }

    std::string saveFixture(const std::string& name, int mask, int count, bool pairs) {
        useFrame(patternFrame(mask, count, pairs));
        FrameData copy = *frames.current;
        prepareHeaderForFile(copy.header);
        const std::string path = dir.file(name);
        writeFile(path, encodeDataFile(copy));
        return path;
    }
};

TEST_F(DataFileTest, SaveDialogInBothLanguages) {
    struct Case {
        bool russian;
        DataFileName current;
        const char* title;
        const char* filter;
        const char* proposed;
    };
    const Case cases[] = {
        {false, {"", false}, "Save", "ZR40 Data File (*.qsd)|*.qsd", "*.qsd"},
        {true,
         {"run1.qsd", true},
         "Сохранение данных",
         "Файл данных ZR40 (*.qsd)|*.qsd",
         "run1.qsd"},
        {false, {"run2.txt", true}, "Save", "ZR40 Data File (*.qsd)|*.qsd", "run2.qsd"},
        {false, {"run3.qsd", false}, "Save", "ZR40 Data File (*.qsd)|*.qsd", "*.qsd"},
    };
    for (const Case& c : cases) {
        ui.saveRequests.clear();
        state.Common.Russian = c.russian;
        state.Session.current = c.current;
        state.Session.workingFolder = "/work/folder/";
        auto ctx = context();
        EXPECT_EQ(saveDataFileCommand(ctx), DataFileSaveResult::Cancelled);
        ASSERT_EQ(ui.saveRequests.size(), 1u);
        const FileDialogRequest& r = ui.saveRequests[0];
        EXPECT_EQ(r.title, c.title);
        EXPECT_EQ(r.filter, c.filter);
        EXPECT_EQ(r.defaultExtension, "qsd");
        EXPECT_EQ(r.proposedName, c.proposed);
        EXPECT_EQ(r.folder, "/work/folder/");
        EXPECT_EQ(state.Session.workingFolder, "/work/folder/");
    }
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(recomputed, 0);
}

TEST_F(DataFileTest, SaveWritesTheFileAndAnEmptyCompanionForTheWriter) {
    useFrame(patternFrame(0b0101, 5000, true));
    frames.current->header[33] = 42;
    ui.dialogAnswer = dir.file("run.qsd");
    auto ctx = context();
    EXPECT_EQ(saveDataFileCommand(ctx), DataFileSaveResult::Saved);

    EXPECT_EQ(state.Session.workingFolder, dir.folder());
    EXPECT_EQ(state.Session.current.name, "run.qsd");
    EXPECT_TRUE(state.Session.current.valid);
    EXPECT_EQ(recomputed, 1);
    EXPECT_TRUE(ui.boxes.empty());
    // The current set carries the written header.
    EXPECT_EQ(frames.current->header[33], -1);
    EXPECT_EQ(frames.current->header[kHdrChecksum], headerChecksum(frames.current->header));
    const std::string bytes = readFile(dir.file("run.qsd"));
    EXPECT_EQ(bytes.size(), 20174u);
    EXPECT_EQ(bytes, encodeDataFile(*frames.current));
    EXPECT_EQ(settingsWritten, std::vector<std::string>{dir.file("run.qss") + " size 0"});
}

TEST_F(DataFileTest, ExistingCompanionIsReplacedOnlyAfterYes) {
    struct Case {
        bool russian;
        BoxAnswer answer;
        DataFileSaveResult result;
        const char* caption;
        const char* sentence;
    };
    const Case cases[] = {
        {false, BoxAnswer::No, DataFileSaveResult::CompanionKept, "Save Settings File",
         "\r\nThe file already exists. Replace existing file?"},
        {true, BoxAnswer::Yes, DataFileSaveResult::Saved,
         "Сохранение сопутствующего файла настроек.", " уже существует.\r\nЗаменить?"},
    };
    for (const Case& c : cases) {
        ui.boxes.clear();
        settingsWritten.clear();
        state.Common.Russian = c.russian;
        const std::string companion = dir.file("run.qss");
        writeFile(companion, "[Common]\r\n");
        writeFile(dir.file("run.qsd"), "old");
        ui.answers = {c.answer};
        auto ctx = context();
        EXPECT_EQ(saveDataFile(ctx, dir.file("run.qsd")), c.result);
        EXPECT_EQ(readFile(dir.file("run.qsd")).size(), 174u); // written either way
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, c.caption);
        EXPECT_EQ(ui.boxes[0].text, companion + c.sentence);
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
        EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::YesNo);
        if (c.answer == BoxAnswer::No) {
            EXPECT_EQ(readFile(companion), "[Common]\r\n");
            EXPECT_TRUE(settingsWritten.empty());
        } else {
            EXPECT_EQ(settingsWritten, std::vector<std::string>{companion + " size 0"});
        }
    }
}

TEST_F(DataFileTest, CompanionWriterFailureIsReported) {
    settingsWriteOk = false;
    auto ctx = context();
    EXPECT_EQ(saveDataFile(ctx, dir.file("run.qsd")), DataFileSaveResult::CompanionFailed);
    EXPECT_TRUE(state.Session.current.valid);
}

TEST_F(DataFileTest, DataFileSavedUnderTheCompanionNameIsNotOverwritten) {
    auto ctx = context();
    EXPECT_EQ(saveDataFile(ctx, dir.file("run.qss")), DataFileSaveResult::CompanionKept);
    EXPECT_EQ(readFile(dir.file("run.qss")).size(), 174u);
    EXPECT_TRUE(settingsWritten.empty());
}

TEST_F(DataFileTest, UnwritableFileGivesTheStopBox) {
    for (bool russian : {false, true}) {
        ui.boxes.clear();
        state.Common.Russian = russian;
        const std::string path = dir.file("missing/run.qsd");
        auto ctx = context();
        EXPECT_EQ(saveDataFile(ctx, path), DataFileSaveResult::Failed);
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, russian ? "Сохранение файла данных" : "Save");
        EXPECT_EQ(ui.boxes[0].text, path + (russian ? "\r\nНет доступа к файлу."
                                                    : "\r\nCan't open file for writing."));
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
        EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::Ok);
    }
    EXPECT_FALSE(state.Session.current.valid);
    EXPECT_EQ(recomputed, 0);
    EXPECT_TRUE(settingsWritten.empty());
}

TEST_F(DataFileTest, CompanionThatCannotBeCreatedGivesItsStopBox) {
    // A folder in the companion's place cannot be replaced by a file.
    std::filesystem::create_directory(dir.file("run.qss"));
    ui.answers = {BoxAnswer::Yes};
    auto ctx = context();
    EXPECT_EQ(saveDataFile(ctx, dir.file("run.qsd")), DataFileSaveResult::CompanionFailed);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].caption, "Save Settings File");
    EXPECT_EQ(ui.boxes[1].text, dir.file("run.qss") + "\r\nCan't open file for writing.");
    EXPECT_EQ(ui.boxes[1].icon, BoxIcon::Stop);
    EXPECT_TRUE(settingsWritten.empty());
}

TEST_F(DataFileTest, SaveFailingPartWayKeepsThePreviousFile) {
    useFrame(patternFrame(0b1111, 5000, true));
    const std::string path = dir.file("run.qsd");
    writeFile(path, "previous data file");
    DataFileSaveResult result;
    {
        testing::FileSizeLimit limit(1000);
        auto ctx = context();
        result = saveDataFile(ctx, path);
    }
    EXPECT_EQ(result, DataFileSaveResult::Failed);
    EXPECT_EQ(readFile(path), "previous data file");
    EXPECT_EQ(dir.entryCount(), 1u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, path + "\r\nCan't open file for writing.");
    EXPECT_FALSE(state.Session.current.valid);
}

TEST_F(DataFileTest, SaveWaitsForTheFrameSetLock) {
    std::atomic<bool> done{false};
    std::unique_lock lock(frames.mutex);
    std::thread saver([&] {
        auto ctx = context();
        saveDataFile(ctx, dir.file("run.qsd"));
        done = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(done);
    EXPECT_FALSE(std::filesystem::exists(dir.file("run.qsd")));
    lock.unlock();
    saver.join();
    EXPECT_TRUE(done);
}

TEST_F(DataFileTest, OpenDialogInBothLanguages) {
    for (bool russian : {false, true}) {
        ui.openRequests.clear();
        state.Common.Russian = russian;
        state.Session.workingFolder = "/w/";
        state.Session.current = {"run.qsd", true};
        auto ctx = context();
        EXPECT_EQ(openDataFileCommand(ctx), DataFileOpenResult::Cancelled);
        ASSERT_EQ(ui.openRequests.size(), 1u);
        const FileDialogRequest& r = ui.openRequests[0];
        EXPECT_EQ(r.title, russian ? "Открытие данных" : "Open");
        EXPECT_EQ(r.filter, russian ? "Файлы данных ZR40 (*.qsd)|*.qsd|Все файлы (*.*)|*.*"
                                    : "ZR40 Data File (*.qsd)|*.qsd|All Files (*.*)|*.*");
        EXPECT_EQ(r.defaultExtension, "qsd");
        EXPECT_EQ(r.proposedName, "");
        EXPECT_EQ(r.folder, "/w/");
    }
}

TEST_F(DataFileTest, OpenLoadsTheFrameAndMovesTheWorkingFolder) {
    const std::string path = saveFixture("a.qsd", 0b0011, 3000, false);
    FrameData expected = *frames.current;
    prepareHeaderForFile(expected.header);
    frames.current->reset();
    state.Session.workingFolder = "/elsewhere/";
    ui.dialogAnswer = path;
    auto ctx = context();
    EXPECT_EQ(openDataFileCommand(ctx), DataFileOpenResult::Loaded);
    EXPECT_EQ(state.Session.workingFolder, dir.folder());
    EXPECT_EQ(state.Session.current.name, "a.qsd");
    EXPECT_TRUE(state.Session.current.valid);
    EXPECT_EQ(frames.current->header, expected.header);
    for (int s = 0; s < kSeriesCount; ++s)
        EXPECT_TRUE(frames.current->series[s] == expected.series[s]) << s;
    EXPECT_EQ(recomputed, 1);
    EXPECT_EQ(waits, std::vector<std::chrono::milliseconds>{200ms});
    EXPECT_TRUE(ui.boxes.empty());   // no companion, no question
    EXPECT_TRUE(askOnVariantChange); // same variant: the check stays as it was
    EXPECT_FALSE(announceVariantChange);
}

TEST_F(DataFileTest, FileOfAnotherVariantRaisesTheAnnouncement) {
    const std::string path = saveFixture("b.qsd", 0b0001, 10, false);
    state.System.Device_Type_Code = 31;
    auto ctx = context();
    EXPECT_EQ(openDataFile(ctx, path), DataFileOpenResult::Loaded);
    EXPECT_FALSE(askOnVariantChange);
    EXPECT_TRUE(announceVariantChange);
    EXPECT_EQ(frames.current->header[kHdrVariant], 28);
    EXPECT_EQ(frames.current->series[kA1First][1], 7);
}

TEST_F(DataFileTest, CompanionQuestionOnOpen) {
    struct Case {
        bool russian;
        BoxAnswer answer;
        const char* sentence;
    };
    const Case cases[] = {
        {false, BoxAnswer::No, " found.\r\nOpen settings file?"},
        {false, BoxAnswer::Yes, " found.\r\nOpen settings file?"},
        {true, BoxAnswer::Yes, " найден.\r\nОткрыть сопутствующий файл настроек?"},
    };
    const std::string path = saveFixture("c.qsd", 0b0001, 10, false);
    const std::string companion = dir.file("c.qss");
    writeFile(companion, "[Scope]\r\n");
    for (const Case& c : cases) {
        ui.boxes.clear();
        settingsRead.clear();
        state.Common.Russian = c.russian;
        ui.answers = {c.answer};
        auto ctx = context();
        EXPECT_EQ(openDataFile(ctx, path), DataFileOpenResult::Loaded);
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, c.russian ? "Открытие файла данных" : "Open");
        EXPECT_EQ(ui.boxes[0].text, companion + c.sentence);
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Question);
        EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::YesNo);
        EXPECT_EQ(settingsRead.size(), c.answer == BoxAnswer::Yes ? 1u : 0u);
        if (!settingsRead.empty()) {
            EXPECT_EQ(settingsRead[0], companion);
        }
    }
}

// The boxes of a file that is not opened, and what is left of the current set.
TEST_F(DataFileTest, OpenFailures) {
    std::string good = encodeDataFile(FrameData{});
    std::string badSum = good;
    badSum[10 + 4 * kHdrValid] = 1;
    struct Case {
        const char* what;
        std::optional<std::string> bytes; // none: no file
        DataFileOpenResult result;
        const char* english;
        const char* russian;
        bool currentKept;
    };
    const Case cases[] = {
        {"missing", std::nullopt, DataFileOpenResult::NotFound, "\r\nFile not found.",
         "\r\nФайл не найден.", true},
        {"wrong mark", std::string("QSD_ZR40:\x01", 10) + good.substr(10),
         DataFileOpenResult::InvalidFormat, "\r\nInvalid file format.",
         "\r\nНеверный формат файла.", true},
        {"older mark", std::string("QSD:\0", 5) + good.substr(5), DataFileOpenResult::InvalidFormat,
         "\r\nInvalid file format (ZR4001).", "\r\nНеверный формат файла (ZR4001).", true},
        {"checksum", badSum, DataFileOpenResult::ChecksumError,
         "\r\nInvalid file format. (CRC error)", "\r\nОшибка CRC файла.", false},
        {"header cut", good.substr(0, 60), DataFileOpenResult::ChecksumError,
         "\r\nInvalid file format. (CRC error)", "\r\nОшибка CRC файла.", false},
    };
    for (const Case& c : cases) {
        for (bool russian : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (russian ? " ru" : " en"));
            ui.boxes.clear();
            useFrame(patternFrame(0b0001, 100, false));
            state.Session.current = {"shown.qsd", true};
            state.Common.Russian = russian;
            const std::string path = dir.file("x.qsd");
            std::filesystem::remove(path);
            if (c.bytes)
                writeFile(path, *c.bytes);
            auto ctx = context();
            EXPECT_EQ(openDataFile(ctx, path), c.result);
            ASSERT_EQ(ui.boxes.size(), 1u);
            EXPECT_EQ(ui.boxes[0].caption, russian ? "Открытие файла данных" : "Open");
            EXPECT_EQ(ui.boxes[0].text, path + (russian ? c.russian : c.english));
            EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
            EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::Ok);
            EXPECT_EQ(frames.current->header[kHdrValid], c.currentKept ? 100 : 0);
            EXPECT_EQ(frames.current->series[kA1First][1], c.currentKept ? 7 : kNoSample);
            EXPECT_EQ(state.Session.current.valid, c.currentKept);
        }
    }
    EXPECT_EQ(recomputed, 0);
    EXPECT_FALSE(announceVariantChange);
}

TEST_F(DataFileTest, TruncatedFileShowsWhatItHolds) {
    const std::string path = saveFixture("t.qsd", 0b0011, 1000, false);
    std::filesystem::resize_file(path, 174 + 600);
    auto ctx = context();
    EXPECT_EQ(openDataFile(ctx, path), DataFileOpenResult::Loaded);
    // It says that the file is damaged (data_file_damage_test.cpp has the texts).
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
    EXPECT_EQ(frames.current->series[kA1First][599], (599 * 7) % 255);
    EXPECT_EQ(frames.current->series[kA1First][600], kNoSample);
    EXPECT_EQ(frames.current->series[kA2First][0], kNoSample);
}

TEST_F(DataFileTest, SaveThenOpenGivesTheSameFrame) {
    for (bool pairs : {false, true}) {
        useFrame(patternFrame(0b1111, kMaxSamples, pairs));
        auto ctx = context();
        ASSERT_EQ(saveDataFile(ctx, dir.file("r.qsd")), DataFileSaveResult::Saved);
        const FrameData saved = *frames.current;
        frames.current->reset();
        ASSERT_EQ(openDataFile(ctx, dir.file("r.qsd")), DataFileOpenResult::Loaded);
        EXPECT_EQ(frames.current->header, saved.header);
        for (int s = 0; s < kSeriesCount; ++s)
            EXPECT_TRUE(frames.current->series[s] == saved.series[s]) << s;
    }
}

} // namespace
} // namespace qs40
