#include "files/settings_file.h"

#include "files/config_io.h"
#include "files/ini_file.h"

#include "files/file_replace.h"

#include "config_recording_ui.h"
#include "datafile_file_size_limit.h"
#include "special_files.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <unistd.h>

namespace qs40 {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::RecordingUi;
using namespace std::string_literals;
using testing::TempFolder;
using testing::writeFile;

std::string reason(int error) {
    return std::strerror(error);
}

ScopeState englishState(std::int32_t code = 31) {
    ScopeState s;
    s.Common.Russian = false;
    s.System.Device_Type_Code = code;
    return s;
}

TEST(SettingsFileName, OnlyTheExactLowerCaseExtensionMarksASettingsFile) {
    EXPECT_TRUE(hasSettingsExtension("/home/u/run.qss"));
    EXPECT_TRUE(hasSettingsExtension("a.b.qss"));
    EXPECT_TRUE(hasSettingsExtension(".qss"));
    EXPECT_FALSE(hasSettingsExtension("/home/u/RUN.QSS"));
    EXPECT_FALSE(hasSettingsExtension("run.Qss"));
    EXPECT_FALSE(hasSettingsExtension("run.qsd"));
    EXPECT_FALSE(hasSettingsExtension("run.qss.bak"));
    EXPECT_FALSE(hasSettingsExtension("/dir.qss/run"));
    EXPECT_FALSE(hasSettingsExtension("qss"));
}

TEST(SettingsDialogs, SaveProposesTheDataFileNameWhileItIsValid) {
    ScopeState s = englishState();
    s.Session.workingFolder = "/data/work";
    FileDialogRequest r = saveSettingsRequest(s);
    EXPECT_EQ(r.title, "Save Settings");
    EXPECT_EQ(r.filter, "ZR40 Settings File (*.qss)|*.qss");
    EXPECT_EQ(r.defaultExtension, "qss");
    EXPECT_EQ(r.proposedName, "*.qss");
    EXPECT_EQ(r.folder, "/data/work");

    s.Session.current = {"run 7.qsd", true};
    EXPECT_EQ(saveSettingsRequest(s).proposedName, "run 7.qss");
    s.Session.current = {"noext", true};
    EXPECT_EQ(saveSettingsRequest(s).proposedName, "noext.qss");

    s.Common.Russian = true;
    r = saveSettingsRequest(s);
    EXPECT_EQ(r.title, "Сохранение файла настроек");
    EXPECT_EQ(r.filter, "Файл настроек ZR40 (*.qss)|*.qss");
}

TEST(SettingsDialogs, OpenProposesNothing) {
    ScopeState s = englishState();
    s.Session.workingFolder = "/data/work";
    s.Session.current = {"run.qsd", true};
    FileDialogRequest r = openSettingsRequest(s);
    EXPECT_EQ(r.title, "Open Settings");
    EXPECT_EQ(r.filter, "ZR40 Settings File (*.qss)|*.qss|All Files (*.*)|*.*");
    EXPECT_EQ(r.defaultExtension, "qss");
    EXPECT_EQ(r.proposedName, "");
    EXPECT_EQ(r.folder, "/data/work");
    s.Common.Russian = true;
    r = openSettingsRequest(s);
    EXPECT_EQ(r.title, "Открытие настроек");
    EXPECT_EQ(r.filter, "Файлы настроек ZR40 (*.qss)|*.qss|Все файлы (*.*)|*.*");
}

TEST(SettingsSave, WritesTheHeaderThenFileModeSections) {
    TempFolder dir;
    RecordingUi ui;
    ui.chosenFile = (dir / "a.qss").string();
    ScopeState s = englishState();
    s.Instrument.firmwareVersion = 3;
    ASSERT_TRUE(saveSettings(s, ui, "qs40"));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(s.Session.workingFolder, dir.path().string() + "/");

    const std::string text = readFile(dir / "a.qss");
    EXPECT_EQ(text.rfind("[ZR40 SETTINGS FILE]\r\n\r\n[System]\r\nDevice_Type=~ZR4003~\r\n"
                         "Device_Type_Code=31\r\n\r\n[Common]\r\n",
                         0),
              0u)
        << text;
    const IniFile ini = IniFile::parse(text);
    EXPECT_EQ(ini.sectionNames(),
              (std::vector<std::string>{"ZR40 SETTINGS FILE", "System", "Common", "Scope",
                                        "Trigger", "Generator", "FFT_A1", "FFT_A2", "FFT"}));
    IniFile expected;
    expected.addSection(kSettingsHeaderSection);
    writeConfiguration(expected, s, ConfigMode::File);
    EXPECT_EQ(text, expected.text());
}

TEST(SettingsSave, ReplacesAnExistingFileWhole) {
    TempFolder dir;
    writeFile(dir / "a.qss", "[Own]\r\nkeep=1\r\n\r\n[Colors]\r\nGrid=1\r\n");
    RecordingUi ui;
    ui.chosenFile = (dir / "a.qss").string();
    ScopeState s = englishState();
    ASSERT_TRUE(saveSettings(s, ui, "qs40"));
    const IniFile ini = IniFile::load(dir / "a.qss");
    EXPECT_FALSE(ini.hasSection("Own"));
    EXPECT_FALSE(ini.hasSection("Colors"));
    EXPECT_EQ(ini.sectionNames().front(), "ZR40 SETTINGS FILE");
}

TEST(SettingsSave, CancelWritesNothing) {
    TempFolder dir;
    RecordingUi ui;
    ScopeState s = englishState();
    s.Session.workingFolder = "/somewhere";
    EXPECT_FALSE(saveSettings(s, ui, "qs40"));
    EXPECT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(s.Session.workingFolder, "/somewhere");
    EXPECT_EQ(dir.entryCount(), 0u);
}

TEST(SettingsSave, AFileThatCannotBeCreatedIsReportedInTheCurrentLanguage) {
    TempFolder dir;
    const std::string path = (dir / "missing" / "a.qss").string();
    for (const bool russian : {false, true}) {
        RecordingUi ui;
        ui.chosenFile = path;
        ScopeState s = englishState();
        s.Common.Russian = russian;
        EXPECT_FALSE(saveSettings(s, ui, "qs40"));
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, russian ? "Сохранение файла настроек" : "Save Settings");
        EXPECT_EQ(ui.boxes[0].text,
                  path +
                      (russian ? "\r\nНет доступа к файлу." : "\r\nCan't open file for writing.") +
                      "\r\n" + reason(ENOENT));
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
        EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::Ok);
    }
    // A folder in the file's place cannot be opened for writing either.
    fs::create_directory(dir / "b.qss");
    RecordingUi ui;
    ScopeState s = englishState();
    EXPECT_FALSE(writeSettingsFile(dir / "b.qss", s, ui, "qs40"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Save Settings");
    EXPECT_EQ(ui.boxes[0].text,
              (dir / "b.qss").string() + "\r\nCan't open file for writing.\r\n" + reason(EISDIR));
}

TEST(SettingsSave, AReadOnlyFileIsReportedAndKeptAsItWas) {
    TempFolder dir;
    testing::openToEveryone(dir.path()); // the folder would allow a replacement
    writeFile(dir / "ro.qss", "old");
    fs::permissions(dir / "ro.qss", fs::perms::owner_read);
    const std::string said = testing::runUnprivileged([&] {
        RecordingUi ui;
        const bool written = writeSettingsFile(dir / "ro.qss", englishState(), ui, "qs40");
        return std::string(written ? "written" : "refused") +
               (ui.boxes.size() == 1 ? " " + ui.boxes[0].text
                                     : " boxes: " + std::to_string(ui.boxes.size()));
    });
    EXPECT_EQ(said, "refused " + (dir / "ro.qss").string() +
                        "\r\nCan't open file for writing.\r\n" + reason(EACCES));
    EXPECT_EQ(readFile(dir / "ro.qss"), "old");
}

// A full device stays a device and the failure is told in the platform's box with the reason.
TEST(SettingsSave, AFullDeviceIsAnError) {
    TempFolder dir;
    const auto device = testing::makeFullDevice((dir / "full").string());
    if (!device)
        GTEST_SKIP() << "no full device here";
    RecordingUi ui;
    EXPECT_FALSE(writeSettingsFile(*device, englishState(), ui, "qs40"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "qs40");
    EXPECT_EQ(ui.boxes[0].text, "Cannot write file \"" + *device + "\".\r\n" + reason(ENOSPC));
    EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
    EXPECT_EQ(testing::kindAt(*device), S_IFCHR);
}

// The header and the settings are written together: a save stopped at any step leaves the old
// file or the complete new one, never an empty or a header-only file.
TEST(SettingsSave, StoppedAtAnyStepLeavesTheOldFileOrTheNewOne) {
    const ScopeState s = englishState();
    for (int stopAt = 0; stopAt < 5; ++stopAt) {
        for (const bool hadFile : {true, false}) {
            SCOPED_TRACE(std::to_string(stopAt) + (hadFile ? " over an old file" : ""));
            TempFolder dir;
            const fs::path path = dir / "a.qss";
            if (hadFile)
                writeFile(path, "old");
            int step = 0;
            const ScopedFileWriteStepHook hook([&](const std::string&, FileWriteStep) {
                if (step++ == stopAt)
                    throw std::runtime_error("stopped");
            });
            RecordingUi ui;
            EXPECT_THROW(writeSettingsFile(path, s, ui, "qs40"), std::runtime_error);
            const std::string now = readFile(path);
            if (stopAt < 3) {
                EXPECT_EQ(now, hadFile ? "old" : "");
                EXPECT_EQ(fs::exists(path), hadFile);
            } else {
                EXPECT_TRUE(now.starts_with("[ZR40 SETTINGS FILE]\r\n\r\n[System]\r\n")) << now;
            }
            EXPECT_EQ(dir.entryCount(), fs::exists(path) ? 1u : 0u);
        }
    }
}

TEST(SettingsOpen, AMissingFileIsReportedAndChangesNothing) {
    TempFolder dir;
    for (const bool russian : {false, true}) {
        RecordingUi ui;
        ScopeState s = englishState();
        s.Common.Russian = russian;
        s.Common.Marker_x = 123;
        const fs::path path = dir / "gone.qss";
        EXPECT_FALSE(openSettings(s, ui, path));
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, russian ? "Открытие файла настроек" : "Open Settings");
        EXPECT_EQ(ui.boxes[0].text, path.string() +
                                        (russian ? "\r\nФайл не найден." : "\r\nFile not found.") +
                                        "\r\n" + reason(ENOENT));
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
        EXPECT_EQ(ui.boxes[0].buttons, BoxButtons::Ok);
        EXPECT_EQ(s.Common.Marker_x, 123);
    }
}

// What is not a regular file is refused before it is opened, with the system's reason; the
// state stays as it was.
TEST(SettingsOpen, WhatIsNotARegularFileIsRefusedWithTheReason) {
    TempFolder dir;
    struct Case {
        const char* what;
        std::optional<std::string> path;
        std::string reason;
    };
    fs::create_directory(dir / "folder.qss");
    testing::makeFifo((dir / "fifo.qss").string());
    const Case cases[] = {
        {"folder", (dir / "folder.qss").string(), reason(EISDIR)},
        {"named pipe", (dir / "fifo.qss").string(), "Not a regular file"},
        {"device", testing::makeNullDevice((dir / "null").string()), "Not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.path)
            continue;
        RecordingUi ui;
        ScopeState s = englishState();
        s.Common.Marker_x = 123;
        EXPECT_FALSE(openSettings(s, ui, *c.path));
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, "Open Settings");
        EXPECT_EQ(ui.boxes[0].text, *c.path + "\r\n" + c.reason);
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Exclamation);
        EXPECT_EQ(s.Common.Marker_x, 123);
    }
}

TEST(SettingsOpen, AFileThatIsNotIniOpensAndChangesNothing) {
    TempFolder dir;
    writeFile(dir / "x.qss", "QSD_ZR40:\0\x01\x02 binary\xFF"s);
    RecordingUi ui;
    ScopeState s = englishState();
    s.Scope.TimeDiv = TimeDiv::T5uS;
    EXPECT_TRUE(openSettings(s, ui, dir / "x.qss"));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(s.Scope.TimeDiv, TimeDiv::T5uS);
}

// Markers, spectrum views and the record length come back; colours, calibration values, the
// window option, the language, the service switches and the variant never do.
TEST(SettingsOpen, RestoresPanelSettingsButNotTheInstallationsOwn) {
    TempFolder dir;
    writeFile(dir / "s.qss", "[ZR40 SETTINGS FILE]\r\n\r\n"
                                  "[System]\r\nDevice_Type_Code=0\r\nDebug_qs=1\r\n"
                                  "[Common]\r\nMarker_x=333\r\nMarker2_y=44\r\nOn_Top=1\r\n"
                                  "Russian=1\r\nSmpl_N_5000=0\r\nSmpl_N_2000=1\r\n"
                                  "[FFT_A1]\r\nView=1\r\n[FFT_A2]\r\nView=1\r\n"
                                  "[Calibrate]\r\nZ_A1P1=1\r\nTime=2\r\n"
                                  "[Colors]\r\nCH_A1=0\r\nGrid=255\r\n");
    RecordingUi ui;
    ScopeState s = englishState();
    ASSERT_TRUE(openSettings(s, ui, dir / "s.qss"));
    EXPECT_EQ(s.Common.Marker_x, 333);
    EXPECT_EQ(s.Common.Marker2_y, 44);
    EXPECT_EQ(s.Common.Sampling, Sampling::N2000);
    EXPECT_TRUE(s.FFT_A1.View);
    EXPECT_TRUE(s.FFT_A2.View);
    EXPECT_FALSE(s.Common.On_Top);
    EXPECT_FALSE(s.Common.Russian);
    EXPECT_FALSE(s.System.Debug_qs);
    EXPECT_EQ(s.System.Device_Type_Code, 31);
    EXPECT_EQ(s.Calibrate.Z_A1P1, 3357);
    EXPECT_EQ(s.Calibrate.Time, 0);
    EXPECT_EQ(s.Colors.CH_A1, 0x00FF00u);
    EXPECT_EQ(s.Colors.Grid, 0x800000u);
}

// A file saved by a variant with A2 opened by one without A2: all but the A2 keys.
TEST(SettingsOpen, AnA2FileOnAVariantWithoutA2SetsAllButTheA2Keys) {
    TempFolder dir;
    RecordingUi ui;
    ScopeState saved = englishState(31);
    saved.Scope.TimeDiv = TimeDiv::T20uS;
    saved.Scope.A2_Zero = 200;
    saved.Scope.VoltsDiv_A2 = VoltsDiv::mV50;
    saved.Common.Probe_A2 = Probe::x100;
    saved.Common.CH_A2 = false;
    saved.Trigger.Source = TrigSource::A2;
    saved.Trigger.Lev_A2 = 10.5;
    saved.FFT_A2.View = true;
    saved.Generator.F_fast = 555;
    ASSERT_TRUE(writeSettingsFile(dir / "a2.qss", saved, ui, "qs40"));

    ScopeState s = englishState(24); // ZR4000A: no A2, no generator
    s.Trigger.Source = TrigSource::A1;
    ASSERT_TRUE(openSettings(s, ui, dir / "a2.qss"));
    EXPECT_EQ(s.Scope.TimeDiv, TimeDiv::T20uS);
    EXPECT_EQ(s.Scope.A2_Zero, 63);
    EXPECT_EQ(s.Scope.VoltsDiv_A2, VoltsDiv::V1);
    EXPECT_EQ(s.Common.Probe_A2, Probe::x1);
    EXPECT_TRUE(s.Common.CH_A2);
    EXPECT_EQ(s.Trigger.Lev_A2, 63.0);
    EXPECT_FALSE(s.FFT_A2.View);
    EXPECT_EQ(s.Generator.F_fast, 100);
    // CH_A1=0 is read and releases A1; CH_A2=1 is not read.
    EXPECT_FALSE(s.Trigger.Source);
    EXPECT_EQ(s.System.Device_Type_Code, 24);
    EXPECT_TRUE(ui.boxes.empty());
}

TEST(SettingsRoundTrip, StateThroughASettingsFileAndBack) {
    TempFolder dir;
    RecordingUi ui;
    ScopeState s = englishState(63);
    s.Scope.TimeDiv = TimeDiv::T200mS;
    s.Trigger.Lev_A1 = 191.25;
    s.Trigger.Source = TrigSource::D2;
    s.Common.Marker1_x = 250;
    s.Common.Sampling = Sampling::N20000;
    s.Generator.Mode = GenMode::Pulse;
    s.Generator.Ampl = 200; // inside the bar's range, as the panel keeps it
    s.FFT = {4, 0, 2, true};
    ASSERT_TRUE(writeSettingsFile(dir / "r.qss", s, ui, "qs40"));

    ScopeState back = englishState(63);
    ASSERT_TRUE(openSettings(back, ui, dir / "r.qss"));
    ASSERT_TRUE(writeSettingsFile(dir / "r2.qss", back, ui, "qs40"));
    EXPECT_EQ(readFile(dir / "r2.qss"), readFile(dir / "r.qss"));
    EXPECT_EQ(back.Trigger.Lev_A1, 191.25);
    EXPECT_EQ(back.Common.Marker1_x, 250);
}

TEST(SettingsOpen, TheDialogsChoiceSetsTheWorkingFolder) {
    TempFolder dir;
    RecordingUi ui;
    ScopeState s = englishState();
    ASSERT_TRUE(writeSettingsFile(dir / "w.qss", s, ui, "qs40"));
    s.Session.workingFolder = "/elsewhere";
    ui.chosenFile = (dir / "w.qss").string();
    EXPECT_TRUE(openSettingsFromDialog(s, ui));
    ASSERT_EQ(ui.openRequests.size(), 1u);
    EXPECT_EQ(ui.openRequests[0].folder, "/elsewhere");
    EXPECT_EQ(s.Session.workingFolder, dir.path().string() + "/");

    ui.chosenFile.reset();
    EXPECT_FALSE(openSettingsFromDialog(s, ui));
    EXPECT_EQ(s.Session.workingFolder, dir.path().string() + "/");
}

} // namespace
} // namespace qs40
