#include "files/data_file.h"

#include "datafile_fake_ui.h"
#include "datafile_file_size_limit.h"
#include "datafile_test_support.h"
#include "files/config_io.h"
#include "files/data_file_format.h"
#include "files/file_replace.h"
#include "special_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <sys/wait.h>
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
    std::vector<std::string> settingsRead;

    void SetUp() override { state.Common.Russian = false; }

    DataFileContext context() {
        DataFileHooks hooks;
        hooks.recomputeAndDisplay = [this] { ++recomputed; };
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

    // What the companion of the current state holds.
    std::string companionText() const { return configurationText(state, ConfigMode::File); }
};

std::string reason(int error) {
    return std::strerror(error);
}

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

TEST_F(DataFileTest, SaveWritesTheFileAndItsCompanion) {
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
    EXPECT_EQ(readFile(dir.file("run.qss")), companionText());
    EXPECT_NE(companionText().find("[Scope]"), std::string::npos);
}

// The companion is written once, whole: never first empty and then filled.
TEST_F(DataFileTest, EachFileIsReplacedOnce) {
    std::vector<std::string> replaced;
    const ScopedFileWriteStepHook hook([&](const std::string& path, FileWriteStep step) {
        if (step == FileWriteStep::Replaced)
            replaced.push_back(path);
    });
    auto ctx = context();
    ASSERT_EQ(saveDataFile(ctx, dir.file("run.qsd")), DataFileSaveResult::Saved);
    EXPECT_EQ(replaced, (std::vector{dir.file("run.qsd"), dir.file("run.qss")}));
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
        EXPECT_EQ(readFile(companion),
                  c.answer == BoxAnswer::No ? "[Common]\r\n" : companionText());
    }
}

// The data file fits under the limit, its companion does not: it fails part-way, as on a disk
// that fills up between the two.
TEST_F(DataFileTest, CompanionWriteFailureIsReportedAndLeavesNoCompanion) {
    ASSERT_GT(companionText().size(), 1000u);
    DataFileSaveResult result;
    {
        testing::FileSizeLimit limit(1000);
        auto ctx = context();
        result = saveDataFile(ctx, dir.file("run.qsd"));
    }
    EXPECT_EQ(result, DataFileSaveResult::CompanionFailed);
    EXPECT_TRUE(state.Session.current.valid);
    EXPECT_EQ(readFile(dir.file("run.qsd")).size(), 174u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("run.qss")));
    EXPECT_EQ(dir.entryCount(), 1u);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Save Settings File");
    EXPECT_EQ(ui.boxes[0].text, dir.file("run.qss") + "\r\n" + reason(EFBIG));
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
}

TEST_F(DataFileTest, DataFileSavedUnderTheCompanionNameIsNotOverwritten) {
    auto ctx = context();
    EXPECT_EQ(saveDataFile(ctx, dir.file("run.qss")), DataFileSaveResult::CompanionKept);
    EXPECT_EQ(readFile(dir.file("run.qss")).size(), 174u);
    EXPECT_EQ(dir.entryCount(), 1u);
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
        EXPECT_EQ(ui.boxes[0].text,
                  path +
                      (russian ? "\r\nНет доступа к файлу." : "\r\nCan't open file for writing.") +
                      "\r\n" + reason(ENOENT));
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
        EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::Ok);
    }
    EXPECT_FALSE(state.Session.current.valid);
    EXPECT_EQ(recomputed, 0);
    EXPECT_EQ(dir.entryCount(), 0u);
}

TEST_F(DataFileTest, CompanionThatCannotBeCreatedGivesItsStopBox) {
    // A folder in the companion's place cannot be replaced by a file.
    std::filesystem::create_directory(dir.file("run.qss"));
    ui.answers = {BoxAnswer::Yes};
    auto ctx = context();
    EXPECT_EQ(saveDataFile(ctx, dir.file("run.qsd")), DataFileSaveResult::CompanionFailed);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1].caption, "Save Settings File");
    EXPECT_EQ(ui.boxes[1].text,
              dir.file("run.qss") + "\r\nCan't open file for writing.\r\n" + reason(EISDIR));
    EXPECT_EQ(ui.boxes[1].icon, BoxIcon::Stop);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("run.qss")));
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
    // The file was opened: the write failed, and the box says why.
    EXPECT_EQ(ui.boxes[0].text, path + "\r\n" + reason(EFBIG));
    EXPECT_FALSE(state.Session.current.valid);
}

// A full device is written in place and stays a device; the failure is an error, never a save.
TEST_F(DataFileTest, SaveToAFullDeviceFails) {
    const auto device = testing::makeFullDevice(dir.file("full"));
    if (!device)
        GTEST_SKIP() << "no full device here";
    auto ctx = context();
    EXPECT_EQ(saveDataFile(ctx, *device), DataFileSaveResult::Failed);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Save");
    EXPECT_EQ(ui.boxes[0].text, *device + "\r\n" + reason(ENOSPC));
    EXPECT_EQ(testing::kindAt(*device), S_IFCHR);
    EXPECT_FALSE(state.Session.current.valid);
    EXPECT_EQ(recomputed, 0);
}

// How a save is stopped: by an error (the hook throws and the save unwinds) or by the end of
// the program (the hook ends a child process as a kill would: nothing is cleaned up).
enum class Stop { ByError, ByKill };

// Runs a save of the fixture's state into `path`, stopped at write step `stopAt` (none when it
// is past the last).
void saveStoppedAt(DataFileContext& ctx, const std::string& path, int stopAt, Stop how) {
    int step = 0;
    if (how == Stop::ByError) {
        const ScopedFileWriteStepHook hook([&](const std::string&, FileWriteStep) {
            if (step++ == stopAt)
                throw std::runtime_error("stopped");
        });
        try {
            saveDataFile(ctx, path);
        } catch (const std::runtime_error&) {
        }
        return;
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const ScopedFileWriteStepHook hook([&](const std::string&, FileWriteStep) {
            if (step++ == stopAt)
                ::_exit(0);
        });
        saveDataFile(ctx, path);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
}

// Stopped at every step of writing the data file and its companion, each of the two is its old
// complete self or its new complete self (or, when there was none, absent or new); the
// companion is never newer than the data file; and the next save runs and completes.
TEST_F(DataFileTest, StoppedAtAnyStepEachFileIsOldOrNew) {
    useFrame(patternFrame(0b0011, 1000, false));
    FrameData written = *frames.current;
    prepareHeaderForFile(written.header);
    const std::string newData = encodeDataFile(written);
    const std::string newCompanion = companionText();

    int steps = 0;
    {
        const ScopedFileWriteStepHook count([&](const std::string&, FileWriteStep) { ++steps; });
        auto ctx = context();
        ASSERT_EQ(saveDataFile(ctx, dir.file("count.qsd")), DataFileSaveResult::Saved);
    }
    ASSERT_EQ(steps, 10); // five for each file

    for (const Stop how : {Stop::ByError, Stop::ByKill}) {
        for (const bool hadFiles : {true, false}) {
            for (int stopAt = 0; stopAt <= steps; ++stopAt) {
                SCOPED_TRACE((how == Stop::ByKill ? "killed" : "error") + std::string(" at ") +
                             std::to_string(stopAt) + (hadFiles ? " over old files" : ""));
                const std::string folder =
                    dir.file(std::to_string(stopAt) + (how == Stop::ByKill ? "k" : "e") +
                             (hadFiles ? "o" : "n"));
                std::filesystem::create_directory(folder);
                const std::string data = folder + "/run.qsd";
                const std::string companion = folder + "/run.qss";
                const std::string oldData = hadFiles ? "old data" : "";
                const std::string oldCompanion = hadFiles ? "old companion" : "";
                if (hadFiles) {
                    writeFile(data, oldData);
                    writeFile(companion, oldCompanion);
                }
                auto ctx = context(); // the replace question is answered Yes
                saveStoppedAt(ctx, data, stopAt, how);

                const std::string dataNow = readFile(data);
                const std::string companionNow = readFile(companion);
                EXPECT_TRUE(dataNow == oldData || dataNow == newData) << dataNow.size();
                EXPECT_TRUE(companionNow == oldCompanion || companionNow == newCompanion)
                    << companionNow.size();
                if (companionNow == newCompanion) {
                    EXPECT_EQ(dataNow, newData);
                }
                if (stopAt == steps) {
                    EXPECT_EQ(dataNow, newData);
                    EXPECT_EQ(companionNow, newCompanion);
                }
                if (how == Stop::ByError) {
                    // Unwound: no temporary file stays behind.
                    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                                            std::filesystem::directory_iterator()),
                              static_cast<std::ptrdiff_t>(std::filesystem::exists(data) +
                                                          std::filesystem::exists(companion)));
                }

                ui.boxes.clear();
                EXPECT_EQ(saveDataFile(ctx, data), DataFileSaveResult::Saved);
                EXPECT_EQ(readFile(data), newData);
                EXPECT_EQ(readFile(companion), newCompanion);
            }
        }
    }
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

// The boxes of a file that is not opened, and what is left of the current set. What is not a
// regular file is refused before it is opened (a named pipe would never answer), with the
// system's reason.
TEST_F(DataFileTest, OpenFailures) {
    std::string good = encodeDataFile(FrameData{});
    std::string badSum = good;
    badSum[10 + 4 * kHdrValid] = 1;
    namespace fs = std::filesystem;
    const std::string path = dir.file("x.qsd");
    const auto bytes = [&path](std::string content) {
        return [&path, content] {
            writeFile(path, content);
            return true;
        };
    };
    const std::string notFound = "\r\n" + reason(ENOENT);
    struct Case {
        const char* what;
        std::function<bool()> make; // false: cannot be made here
        DataFileOpenResult result;
        std::string english;
        std::string russian;
        bool currentKept;
    };
    const Case cases[] = {
        {"missing", [] { return true; }, DataFileOpenResult::NotFound,
         "\r\nFile not found." + notFound, "\r\nФайл не найден." + notFound, true},
        {"folder", [&] { return fs::create_directory(path); }, DataFileOpenResult::Unreadable,
         "\r\n" + reason(EISDIR), "\r\n" + reason(EISDIR), true},
        {"named pipe", [&] { return testing::makeFifo(path); }, DataFileOpenResult::Unreadable,
         "\r\nNot a regular file", "\r\nЭто не обычный файл", true},
        {"link to a named pipe",
         [&] {
             fs::create_symlink(dir.file("pipe"), path);
             return testing::makeFifo(dir.file("pipe"));
         },
         DataFileOpenResult::Unreadable, "\r\nNot a regular file", "\r\nЭто не обычный файл", true},
        {"device",
         [&] {
             const auto device = testing::makeNullDevice(dir.file("null"));
             if (device)
                 fs::create_symlink(*device, path);
             return device.has_value();
         },
         DataFileOpenResult::Unreadable, "\r\nNot a regular file", "\r\nЭто не обычный файл", true},
        {"wrong mark", bytes(std::string("QSD_ZR40:\x01", 10) + good.substr(10)),
         DataFileOpenResult::InvalidFormat, "\r\nInvalid file format.",
         "\r\nНеверный формат файла.", true},
        {"older mark", bytes(std::string("QSD:\0", 5) + good.substr(5)),
         DataFileOpenResult::InvalidFormat, "\r\nInvalid file format (ZR4001).",
         "\r\nНеверный формат файла (ZR4001).", true},
        {"checksum", bytes(badSum), DataFileOpenResult::ChecksumError,
         "\r\nInvalid file format. (CRC error)", "\r\nОшибка CRC файла.", false},
        {"header cut", bytes(good.substr(0, 60)), DataFileOpenResult::ChecksumError,
         "\r\nInvalid file format. (CRC error)", "\r\nОшибка CRC файла.", false},
    };
    for (const Case& c : cases) {
        for (bool russian : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (russian ? " ru" : " en"));
            ui.boxes.clear();
            useFrame(patternFrame(0b0001, 100, false));
            state.Session.current = {"shown.qsd", true};
            state.Common.Russian = russian;
            for (const auto& entry : fs::directory_iterator(dir.path()))
                fs::remove_all(entry.path());
            if (!c.make())
                continue; // no device node here
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

// A file that may not be read is refused with the system's reason, not "File not found.".
TEST_F(DataFileTest, AFileWithoutReadPermissionIsRefusedWithTheReason) {
    const std::string path = saveFixture("secret.qsd", 0b0001, 10, false);
    testing::openToEveryone(dir.path());
    std::filesystem::permissions(path, std::filesystem::perms::none);
    frames.current->reset();
    const std::string said = testing::runUnprivileged([&] {
        auto ctx = context();
        const DataFileOpenResult result = openDataFile(ctx, path);
        return std::to_string(static_cast<int>(result)) + " " +
               (ui.boxes.empty() ? std::string("no box") : ui.boxes[0].text);
    });
    EXPECT_EQ(said, std::to_string(static_cast<int>(DataFileOpenResult::Unreadable)) + " " + path +
                        "\r\n" + reason(EACCES));
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
