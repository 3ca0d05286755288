// The window with the real configuration reader and writer, and settings files reaching it
// from a second start or from the command line.
#include "files/config_io.h"
#include "files/settings_file.h"
#include "main_window_test_support.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>

namespace qs40::testing {
namespace {

class ConfiguredWindow {
public:
    explicit ConfiguredWindow(const std::string& configuration, std::string fileToOpen = {}) {
        application();
        d2xx.devices.push_back({kInstrument, 0x11});
        StartOptions o;
        o.executablePath = "/opt/qs40/bin/qs40";
        o.configurationPath = configuration;
        o.fileToOpen = std::move(fileToOpen);
        o.acquisition = false;
        o.loadConfiguration = [](ScopeState& s, const std::string& path, bool variantFirst) {
            return readConfigurationFile(path, s, ConfigMode::Configuration, variantFirst);
        };
        o.saveConfiguration = [this](const ScopeState& s, const std::string& path) {
            writeConfigurationFile(path, s, ConfigMode::Configuration, ui, "qs40");
        };
        window = std::make_unique<TQS4003MFrm>(std::move(o), d2xx, &ui);
    }
    void firstPaint() {
        window->show();
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    template <class T = QObject> T* find(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }

    FakeD2xx d2xx;
    ScriptedUi ui;
    std::unique_ptr<TQS4003MFrm> window;
};

TEST(WindowConfiguration, CloseWritesItAndTheNextStartReadsIt) {
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/qs40.ini").toStdString();
    {
        ConfiguredWindow w(path);
        w.find<QAbstractButton>("SpeedButton_10mS")->click();
        w.find<QAction>("Menu_English")->trigger();
        w.window->close();
        EXPECT_TRUE(w.ui.boxes.empty());
    }
    ASSERT_TRUE(std::filesystem::exists(path));

    ConfiguredWindow again(path);
    EXPECT_EQ(again.window->state().Scope.TimeDiv, TimeDiv::T10mS);
    EXPECT_FALSE(again.window->state().Common.Russian);
    EXPECT_EQ(again.find<QAbstractButton>("SpeedButton_Run")->text(), "RUN");
}

TEST(WindowConfiguration, AnUnwritableConfigurationIsReportedAtClose) {
    QTemporaryDir dir;
    // A file where its folder should be: the folder cannot be made, the write fails and says so.
    QFile plain(dir.path() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const std::string path = (dir.path() + "/plain/qs40.ini").toStdString();
    ConfiguredWindow w(path);
    w.window->close();
    ASSERT_EQ(w.ui.boxes.size(), 1u);
    EXPECT_EQ(w.ui.boxes[0].caption, "qs40");
    EXPECT_EQ(w.ui.boxes[0].icon, BoxIcon::Stop);
}

// A settings file with the 1 uS time base, written as the program writes one.
std::string settingsFile(const QTemporaryDir& dir) {
    ScopeState s;
    s.Scope.TimeDiv = TimeDiv::T1uS;
    const std::string path = (dir.path() + "/fast.qss").toStdString();
    ScriptedUi ui;
    EXPECT_TRUE(writeSettingsFile(path, s, ui, "qs40"));
    return path;
}

TEST(WindowSettingsFile, HandedOverAndAcceptedItIsAppliedAndSent) {
    QTemporaryDir dir;
    const std::string settings = settingsFile(dir);
    ConfiguredWindow w((dir.path() + "/qs40.ini").toStdString());
    const int sends = w.window->requests().sendCount;
    w.window->fileHandedOver(1, QString::fromStdString(settings));
    ASSERT_EQ(w.ui.boxes.size(), 1u); // the offer, answered Yes
    EXPECT_EQ(w.window->state().Scope.TimeDiv, TimeDiv::T1uS);
    EXPECT_TRUE(w.find<QAbstractButton>("SpeedButton_1uS")->isChecked());
    EXPECT_EQ(w.window->requests().sendCount, sends + 1);
}

TEST(WindowSettingsFile, NamedOnTheCommandLineItIsOpenedAfterTheFirstPaint) {
    QTemporaryDir dir;
    const std::string settings = settingsFile(dir);
    ConfiguredWindow w((dir.path() + "/qs40.ini").toStdString(), settings);
    EXPECT_NE(w.window->state().Scope.TimeDiv, TimeDiv::T1uS);
    w.firstPaint();
    EXPECT_EQ(w.window->state().Scope.TimeDiv, TimeDiv::T1uS);
    EXPECT_TRUE(w.ui.boxes.empty());
}

// The exports for other tools follow the existing items of the Export menu.
TEST(WindowExports, SigrokAndVcdItemsAfterTheOthers) {
    for (const bool russian : {false, true}) {
        WindowSetup setup;
        setup.russian = russian;
        WindowFixture f(setup);
        std::vector<std::string> names;
        for (const QAction* a : f.find<QMenu>("Menu_Export")->actions())
            names.push_back(a->menu() ? a->menu()->objectName().toStdString()
                                      : a->objectName().toStdString());
        const std::vector<std::string> expected{"Menu_Image", "Menu_Text", "Menu_Row_Binary",
                                                "Menu_Export_Sigrok", "Menu_Export_VCD"};
        EXPECT_EQ(names, expected);
        EXPECT_EQ(f.action("Menu_Export_Sigrok")->text().toStdString(),
                  russian ? "Сеанс sigrok..." : "sigrok session...");
        EXPECT_EQ(f.action("Menu_Export_VCD")->text().toStdString(), "VCD...");
    }
}

TEST(WindowExports, WriteTheCurrentFrame) {
    WindowFixture f;
    f.trigger("Menu_Export_Sigrok"); // no frame yet
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].caption, "Save sigrok Session");
    EXPECT_EQ(f.ui.boxes[0].text, "No data for writing.");

    {
        FrameSets& frames = f.window->frames();
        std::lock_guard lock(frames.mutex);
        FrameData& frame = *frames.current;
        frame.header[kHdrDivider] = 1;
        frame.header[kHdrValid] = 3;
        frame.header[kHdrChannels] = kPresentA1 | kPresentD1;
        for (int i = 0; i < 3; ++i) {
            frame.series[kA1First][i] = frame.series[kA1Second][i] = 100 + i;
            frame.series[kD1First][i] = frame.series[kD1Second][i] = i % 2;
        }
    }
    QTemporaryDir dir;
    const std::string session = dir.filePath("f.sr").toStdString();
    const std::string vcd = dir.filePath("f.vcd").toStdString();
    f.ui.saveNames = {session, vcd};
    f.trigger("Menu_Export_Sigrok");
    f.trigger("Menu_Export_VCD");
    EXPECT_EQ(f.ui.boxes.size(), 1u);
    ASSERT_TRUE(std::filesystem::exists(session));
    std::ifstream in(session, std::ios::binary);
    std::string start(4, '\0');
    in.read(start.data(), 4);
    EXPECT_EQ(start, "PK\x03\x04"); // a zip
    std::ifstream text(vcd, std::ios::binary);
    const std::string dump{std::istreambuf_iterator<char>(text), {}};
    EXPECT_NE(dump.find("$var wire 1 ! D1 $end"), std::string::npos) << dump;
    EXPECT_TRUE(dump.ends_with("#3\n")) << dump;
}

} // namespace
} // namespace qs40::testing
