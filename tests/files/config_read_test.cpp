// What reading the configuration file finds, and that the writer never replaces a file that
// was there but could not be read.
#include "files/config_io.h"
#include "files/config_read.h"
#include "files/config_texts.h"

#include "config_recording_ui.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace qs40 {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::RecordingUi;
using testing::TempFolder;
using testing::writeFile;

const std::string kValid = "[System]\r\nDebug_qs=1\r\nDevice_Type_Code=31\r\n\r\n"
                           "[Calibrate]\r\nZ_A1P1=3000\r\n\r\n";

struct ReadCase {
    const char* name;
    // Makes what lies at dir/qs40.ini (or elsewhere) and returns the path to read.
    std::function<fs::path(const TempFolder&)> make;
    ConfigReadStatus status;
    int error;
    ConfigProblem problem;
    bool needsPermissionChecks = false; // root reads whatever the permission bits say
};

fs::path fileWith(const TempFolder& dir, const std::string& bytes) {
    writeFile(dir / "qs40.ini", bytes);
    return dir / "qs40.ini";
}

const ReadCase kCases[] = {
    {"Missing", [](const TempFolder& dir) { return dir / "qs40.ini"; }, ConfigReadStatus::Missing,
     ENOENT, ConfigProblem::None},
    {"UnderAFileInsteadOfAFolder",
     [](const TempFolder& dir) {
         writeFile(dir / "plain", "x");
         return dir / "plain" / "qs40.ini";
     },
     ConfigReadStatus::Missing, ENOTDIR, ConfigProblem::None},
    {"AFolder",
     [](const TempFolder& dir) {
         fs::create_directory(dir / "qs40.ini");
         return dir / "qs40.ini";
     },
     ConfigReadStatus::Unreadable, EISDIR, ConfigProblem::None},
    {"NoPermission",
     [](const TempFolder& dir) {
         const fs::path path = fileWith(dir, kValid);
         fs::permissions(path, fs::perms::none);
         return path;
     },
     ConfigReadStatus::Unreadable, EACCES, ConfigProblem::None, true},
    // A file that cannot be opened whoever asks.
    {"ALoopOfLinks",
     [](const TempFolder& dir) {
         fs::create_symlink(dir / "other.ini", dir / "qs40.ini");
         fs::create_symlink(dir / "qs40.ini", dir / "other.ini");
         return dir / "qs40.ini";
     },
     ConfigReadStatus::Unreadable, ELOOP, ConfigProblem::None},
    {"ANamedPipe",
     [](const TempFolder& dir) {
         ::mkfifo((dir / "qs40.ini").c_str(), 0600);
         return dir / "qs40.ini";
     },
     ConfigReadStatus::Unreadable, 0, ConfigProblem::NotRegularFile},
    // Never opened: opening a device can act on it.
    {"ALinkToADevice",
     [](const TempFolder& dir) {
         fs::create_symlink("/dev/null", dir / "qs40.ini");
         return dir / "qs40.ini";
     },
     ConfigReadStatus::Unreadable, 0, ConfigProblem::NotRegularFile},
    {"BinaryGarbage",
     [](const TempFolder& dir) {
         static constexpr char kBytes[] = "\x7f"
                                          "ELF\x02\x01\x01\x00\x00[System]\r\n\xff\xfe";
         return fileWith(dir, std::string(kBytes, sizeof kBytes - 1));
     },
     ConfigReadStatus::Unusable, 0, ConfigProblem::NotText},
    {"TextWithoutAnySection",
     [](const TempFolder& dir) { return fileWith(dir, "Debug_qs=1\r\nsomething else\r\n"); },
     ConfigReadStatus::Unusable, 0, ConfigProblem::NoKnownSection},
    {"LongerThanTheIniLayerReads",
     [](const TempFolder& dir) {
         const fs::path path = fileWith(dir, kValid);
         fs::resize_file(path, IniFile::kMaxFileSize + 1);
         return path;
     },
     ConfigReadStatus::Unusable, 0, ConfigProblem::TooLarge},
    {"Empty", [](const TempFolder& dir) { return fileWith(dir, " \r\n\r\n"); },
     ConfigReadStatus::Read, 0, ConfigProblem::None},
    {"Valid", [](const TempFolder& dir) { return fileWith(dir, kValid); }, ConfigReadStatus::Read,
     0, ConfigProblem::None},
};

// Test names say the case; the parameter's bytes would say nothing.
void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

bool skippedAsRoot(const ReadCase& c) {
    return c.needsPermissionChecks && ::geteuid() == 0;
}

class ConfigReadCases : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ConfigReadCases, TheReaderSaysWhatItFound) {
    const ReadCase& c = GetParam();
    if (skippedAsRoot(c))
        GTEST_SKIP() << "root reads a file without permissions";
    TempFolder dir;
    const fs::path path = c.make(dir);

    ScopeState state;
    const ConfigReadResult r = readConfigurationFile(path, state, ConfigMode::Configuration, true);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(r.problem, c.problem);
    EXPECT_EQ(r.kept(),
              c.status == ConfigReadStatus::Unreadable || c.status == ConfigReadStatus::Unusable);
    if (c.status == ConfigReadStatus::Read && c.name == std::string("Valid")) {
        EXPECT_TRUE(state.System.Debug_qs);
        EXPECT_EQ(state.Calibrate.Z_A1P1, 3000);
    }
    if (r.kept()) {
        EXPECT_FALSE(configReadReason(r, false).empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Configuration, ConfigReadCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Every kept case: what lies at the path stays as it was, byte for byte, and the writer says
// why in its error box.
TEST(ConfigWrite, TheWriterNeverReplacesAKeptFile) {
    for (const ReadCase& c : kCases) {
        if (skippedAsRoot(c) ||
            (c.status != ConfigReadStatus::Unreadable && c.status != ConfigReadStatus::Unusable))
            continue;
        SCOPED_TRACE(c.name);
        TempFolder dir;
        const fs::path path = c.make(dir);
        struct stat before {};
        ASSERT_EQ(::lstat(path.c_str(), &before), 0);
        // Only a regular file that its owner may read can be compared byte for byte.
        const bool comparable = S_ISREG(before.st_mode) && c.error == 0;
        const std::string bytes = comparable ? readFile(path) : std::string();

        RecordingUi ui;
        EXPECT_FALSE(
            writeConfigurationFile(path, ScopeState{}, ConfigMode::Configuration, ui, "qs40"));
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, "qs40");
        EXPECT_EQ(ui.boxes[0].icon, BoxIcon::Stop);
        EXPECT_NE(ui.boxes[0].text.find(path.string()), std::string::npos);

        struct stat after {};
        ASSERT_EQ(::lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_size, before.st_size);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        if (comparable) {
            EXPECT_EQ(readFile(path), bytes);
        }
        EXPECT_EQ(dir.entryCount(), c.name == std::string("ALoopOfLinks") ? 2u : 1u);
    }
}

TEST(ConfigRead, AValidFileIsStillRewrittenKeepingItsServiceSwitches) {
    TempFolder dir;
    const fs::path path = fileWith(dir, kValid);
    RecordingUi ui;
    ScopeState s;
    ASSERT_EQ(readConfigurationFile(path, s, ConfigMode::Configuration, true).status,
              ConfigReadStatus::Read);
    ASSERT_TRUE(writeConfigurationFile(path, s, ConfigMode::Configuration, ui, "qs40"));
    EXPECT_TRUE(ui.boxes.empty());
    const IniFile after = IniFile::load(path);
    EXPECT_EQ(after.value("System", "Debug_qs"), "1");
    EXPECT_EQ(after.value("Calibrate", "Z_A1P1"), "3000");
}

TEST(ConfigTexts, TheKeptFileBoxNamesTheFileThenTheSentenceThenTheReason) {
    ConfigReadResult r;
    r.status = ConfigReadStatus::Unreadable;
    r.error = EACCES;
    const std::string reason = configReadReason(r, false);
    EXPECT_EQ(reason, std::strerror(EACCES));
    for (const bool ru : {false, true}) {
        const std::string text = configurationKeptText("/x/qs40.ini", reason, ru);
        EXPECT_EQ(text.rfind("/x/qs40.ini\r\n", 0), 0u);
        EXPECT_EQ(text.substr(text.size() - reason.size() - 2), "\r\n" + reason);
        EXPECT_EQ(saveConfigurationElsewhereText("/x/qs40.ini", ru).rfind("/x/qs40.ini\r\n", 0),
                  0u);
    }
    EXPECT_EQ(warningCaption(false), "Warning");
    EXPECT_EQ(warningCaption(true), "Предупреждение");
    EXPECT_NE(configurationKeptText("a", reason, true), configurationKeptText("a", reason, false));

    r.status = ConfigReadStatus::Unusable;
    r.error = 0;
    r.problem = ConfigProblem::NotText;
    EXPECT_NE(configReadReason(r, false), configReadReason(r, true));
}

} // namespace
} // namespace qs40
