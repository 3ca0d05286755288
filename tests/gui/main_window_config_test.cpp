// The window over a configuration file that is there but cannot be read: it is kept byte for
// byte, the user is told once at start and asked at close whether to save elsewhere.
#include "files/config_io.h"
#include "files/config_texts.h"
#include "main_window_test_support.h"

#include <QAbstractButton>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace qs40::testing {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class KeptConfigurationWindow {
public:
    KeptConfigurationWindow(const std::string& configuration, std::optional<bool> russian) {
        application();
        d2xx.devices.push_back({kInstrument, 0x11});
        StartOptions o;
        o.executablePath = "/opt/qs40/bin/qs40";
        o.configurationPath = configuration;
        o.acquisition = false;
        o.russian = russian;
        o.loadConfiguration = [](ScopeState& s, const std::string& path, bool variantFirst) {
            return readConfigurationFile(path, s, ConfigMode::Configuration, variantFirst);
        };
        o.saveConfiguration = [this](const ScopeState& s, const std::string& path) {
            ++writes;
            writeConfigurationFile(path, s, ConfigMode::Configuration, ui, "qs40");
        };
        window = std::make_unique<TQS4003MFrm>(std::move(o), d2xx, &ui);
    }
    void click(const char* name) {
        window->findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
    }

    FakeD2xx d2xx;
    ScriptedUi ui;
    int writes = 0;
    std::unique_ptr<TQS4003MFrm> window;
};

template <std::size_t N> std::string bytesOf(const char (&text)[N]) {
    return std::string(text, N - 1);
}

struct KeptCase {
    const char* name;
    std::string bytes;
    fs::perms perms;
    std::string reason; // the reason line of the box
};

const KeptCase kKeptCases[] = {
    {"BinaryGarbage", bytesOf("\x01\x02QS\0\0[System]\r\n\xff"), fs::perms::owner_all,
     "Not a text file"},
    {"NoPermission", "[System]\r\nDebug_qs=1\r\n\r\n[Calibrate]\r\nZ_A1P1=3000\r\n",
     fs::perms::none, "Permission denied"},
};

// Test names say the case; the parameter's bytes would say nothing.
void PrintTo(const KeptCase& c, std::ostream* os) {
    *os << c.name;
}

class KeptConfiguration : public ::testing::TestWithParam<KeptCase> {
protected:
    void SetUp() override {
        const KeptCase& c = GetParam();
        if (c.perms == fs::perms::none && ::geteuid() == 0)
            GTEST_SKIP() << "root reads a file without permissions";
        path = fs::path(dir.path().toStdString()) / "qs40.ini";
        std::ofstream(path, std::ios::binary) << c.bytes;
        fs::permissions(path, c.perms);
        ASSERT_EQ(::stat(path.c_str(), &before), 0);
    }
    void expectUnchanged() const {
        struct stat after {};
        ASSERT_EQ(::stat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
        EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
        fs::permissions(path, fs::perms::owner_all);
        EXPECT_EQ(contents(path), GetParam().bytes);
    }

    QTemporaryDir dir;
    fs::path path;
    struct stat before {};
};

TEST_P(KeptConfiguration, IsLeftByteForByteWhenTheQuestionIsAnsweredNo) {
    KeptConfigurationWindow w(path.string(), false);
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    const ShownBox& box = w.ui.boxes[0];
    EXPECT_EQ(box.caption, "Warning");
    EXPECT_EQ(box.icon, BoxIcon::Exclamation);
    EXPECT_EQ(box.buttons, BoxButtons::Ok);
    EXPECT_EQ(box.text.rfind(path.string() + "\r\n", 0), 0u) << box.text;
    EXPECT_EQ(box.text.substr(box.text.size() - GetParam().reason.size() - 2),
              "\r\n" + GetParam().reason);

    w.click("SpeedButton_10mS");
    // A switch of variant writes the configuration too: not this one.
    w.window->switchVariant(31);
    EXPECT_EQ(w.ui.boxes.size(), 1u);

    w.ui.answers = {BoxAnswer::No};
    w.ui.saveNames = {(path.parent_path() / "never.ini").string()};
    w.window->close();
    ASSERT_EQ(w.ui.boxes.size(), 2u) << "the box at start, then the question";
    EXPECT_EQ(w.ui.boxes[1].icon, BoxIcon::Question);
    EXPECT_EQ(w.ui.boxes[1].buttons, BoxButtons::YesNo);
    EXPECT_EQ(w.ui.boxes[1].text.rfind(path.string() + "\r\n", 0), 0u);
    EXPECT_EQ(w.ui.saveNames.size(), 1u) << "no save dialog after No";
    EXPECT_EQ(w.writes, 0);
    EXPECT_FALSE(fs::exists(path.parent_path() / "never.ini"));
    expectUnchanged();
}

TEST_P(KeptConfiguration, YesSavesTheConfigurationToTheChosenFile) {
    KeptConfigurationWindow w(path.string(), true);
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].caption, warningCaption(true));
    w.click("SpeedButton_10mS");

    const fs::path other = path.parent_path() / "other.ini";
    w.ui.answers = {BoxAnswer::Yes};
    w.ui.saveNames = {other.string()};
    w.window->close();
    ASSERT_EQ(w.ui.boxes.size(), 2u);
    EXPECT_EQ(w.ui.boxes[1].caption, saveConfigurationCaption(true));
    EXPECT_EQ(w.ui.boxes[1].text, saveConfigurationElsewhereText(path.string(), true));
    EXPECT_TRUE(w.ui.saveNames.empty());
    EXPECT_EQ(w.writes, 1);

    ScopeState saved;
    ASSERT_EQ(readConfigurationFile(other, saved, ConfigMode::Configuration, true).status,
              ConfigReadStatus::Read);
    EXPECT_EQ(saved.Scope.TimeDiv, TimeDiv::T10mS);
    EXPECT_TRUE(saved.Common.Russian);
    expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Window, KeptConfiguration, ::testing::ValuesIn(kKeptCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Choosing the kept file itself in the save dialog is not "another file".
TEST(KeptConfigurationWindow, TheKeptFileChosenAgainStaysAsItIs) {
    QTemporaryDir dir;
    const fs::path path = fs::path(dir.path().toStdString()) / "qs40.ini";
    const std::string garbage = bytesOf("\0\0\0garbage");
    std::ofstream(path, std::ios::binary) << garbage;
    KeptConfigurationWindow w(path.string(), false);
    w.ui.answers = {BoxAnswer::Yes};
    w.ui.saveNames = {(path.parent_path() / "." / "qs40.ini").string()};
    w.window->close();
    ASSERT_EQ(w.ui.boxes.size(), 3u);
    EXPECT_EQ(w.ui.boxes[2].icon, BoxIcon::Exclamation);
    EXPECT_EQ(w.writes, 0);
    EXPECT_EQ(contents(path), garbage);
}

} // namespace
} // namespace qs40::testing
