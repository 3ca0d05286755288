// Help > About over the simulated instrument and without one; Qt's own texts in the interface's
// language; the language of a first start; the menu radio groups across variant switches and
// restarts.
#include "dialogs/about_box.h"
#include "files/config_io.h"
#include "main/qt_ui.h"
#include "sim_window_support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <filesystem>
#include <fstream>

namespace qs40::testing {
namespace {

struct AboutShown {
    QString title, product, software, firmware, fpga, serial;
    bool serialVisible = false;
    bool okFocused = false;
};

// Opens the About box, reads it while it is open and closes it with OK.
AboutShown showAbout(TQS4003MFrm& window) {
    AboutShown shown;
    QTimer::singleShot(0, &window, [&] {
        TAboutBox* box = window.aboutBox();
        ASSERT_NE(box, nullptr);
        ASSERT_TRUE(box->isVisible());
        shown = {box->windowTitle(),         box->ProductName->text(),
                 box->Version->text(),       box->Version1->text(),
                 box->Version2->text(),      box->Label_SN->text(),
                 box->Label_SN->isVisible(), box->focusWidget() == box->OKButton};
        box->OKButton->click();
    });
    window.findChild<QAction*>("Menu_About")->trigger();
    return shown;
}

TEST(AboutBox, WithoutAnInstrumentTheVersionsWait) {
    WindowSetup setup;
    setup.instrumentAttached = false;
    setup.configure = [](ScopeState& s) { s.System.Debug_qs = true; };
    WindowFixture f(setup);
    const AboutShown shown = showAbout(*f.window);
    EXPECT_EQ(shown.title, "About");
    EXPECT_EQ(shown.product, "ZR40");
    EXPECT_EQ(shown.software, "Software Version  2.04");
    EXPECT_EQ(shown.firmware, "Firmware Version  ...");
    EXPECT_EQ(shown.fpga, "FPGA Version  ...");
    EXPECT_TRUE(shown.serialVisible);
    EXPECT_EQ(shown.serial, "Serial Number  ...");
    EXPECT_TRUE(shown.okFocused);
}

struct AboutCase {
    const char* name;
    bool service;
    bool russian;
    const char* product;
    const char* firmware;
    const char* serial; // nullptr: hidden
};

class AboutWithInstrument : public ::testing::TestWithParam<AboutCase> {};

TEST_P(AboutWithInstrument, NamesTheInstrumentItsVersionsAndInServiceModeItsSerial) {
    const AboutCase& c = GetParam();
    SimWindow w(63, "sim:variant=28", [&c](StartOptions& options) {
        options.russian = c.russian;
        options.loadConfiguration = [service = c.service](ScopeState& s, const std::string&, bool) {
            s.System.Debug_qs = service;
            return ConfigReadResult{};
        };
    });
    ASSERT_TRUE(w.waitFor([&] {
        return w.window->linkState().identityReceived.load() &&
               w.window->linkState().report.get().fpgaVersion >= 0;
    }));
    const AboutShown shown = showAbout(*w.window);
    EXPECT_EQ(shown.product, QString::fromUtf8(c.product));
    EXPECT_EQ(shown.firmware, QString::fromUtf8(c.firmware));
    EXPECT_EQ(shown.serialVisible, c.serial != nullptr);
    if (c.serial) {
        EXPECT_EQ(shown.serial, QString::fromUtf8(c.serial));
    }
}

const AboutCase kAboutCases[] = {
    {"User", false, false, "ZR40   Device - ZR4001A", "Firmware Version  1.03", nullptr},
    {"Service", true, false, "ZR40   Device - ZR4001A", "Firmware Version  1.03",
     "Serial Number  4003 - 00012345"},
    {"ServiceRussian", true, true, "ZR40   Устройство - ZR4001A", "Версия ПО устройства  1.03",
     "Серийный номер устройства  4003 - 00012345"},
};

INSTANTIATE_TEST_SUITE_P(Cases, AboutWithInstrument, ::testing::ValuesIn(kAboutCases),
                         [](const auto& info) { return std::string(info.param.name); });

QString withoutMnemonic(QString text) {
    return text.remove('&');
}

// Qt's own buttons follow the interface language, both ways.
TEST(QtTexts, StandardButtonsAndTheFileDialogSpeakTheInterfaceLanguage) {
    WindowSetup setup;
    setup.russian = true;
    WindowFixture f(setup);
    QtUi qtUi(f.window.get());

    QStringList boxButtons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->buttons())
            boxButtons << withoutMnemonic(b->text());
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(qtUi.messageBox("Вопрос", "?", BoxIcon::Question, BoxButtons::YesNo), BoxAnswer::No);
    boxButtons.sort();
    EXPECT_EQ(boxButtons, (QStringList{QString::fromUtf8("Да"), QString::fromUtf8("Нет")}));

    QString openText;
    QString cancelText;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        openText = withoutMnemonic(buttons->button(QDialogButtonBox::Open)->text());
        cancelText = withoutMnemonic(buttons->button(QDialogButtonBox::Cancel)->text());
        dialog->reject();
    });
    FileDialogRequest request;
    request.title = "Открыть";
    request.filter = "ZR40 (*.qsd)|*.qsd";
    EXPECT_FALSE(qtUi.openFileName(request));
    EXPECT_EQ(openText, QString::fromUtf8("Открыть"));
    EXPECT_EQ(cancelText, QString::fromUtf8("Отмена"));

    // Back in English, Qt's texts are English again.
    f.trigger("Menu_English");
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(withoutMnemonic(box->button(QMessageBox::Ok)->text()), "OK");
        box->button(QMessageBox::Ok)->click();
    });
    qtUi.messageBox("Note", "!", BoxIcon::Information, BoxButtons::Ok);
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(withoutMnemonic(box->button(QMessageBox::Yes)->text()), "Yes");
        box->button(QMessageBox::Yes)->click();
    });
    qtUi.messageBox("Question", "?", BoxIcon::Question, BoxButtons::YesNo);
}

namespace fs = std::filesystem;

// A window over a real configuration file in a folder of its own.
std::unique_ptr<TQS4003MFrm> windowOverConfiguration(FakeD2xx& d2xx, ScriptedUi& ui,
                                                     const fs::path& path,
                                                     const std::string& locale) {
    application();
    StartOptions o;
    o.executablePath = "/opt/qs40/bin/qs40";
    o.configurationPath = path.string();
    o.acquisition = false;
    o.systemLocale = locale;
    o.loadConfiguration = [](ScopeState& s, const std::string& p, bool variantFirst) {
        return readConfigurationFile(p, s, ConfigMode::Configuration, variantFirst);
    };
    o.saveConfiguration = [&ui](const ScopeState& s, const std::string& p) {
        writeConfigurationFile(p, s, ConfigMode::Configuration, ui, "qs40");
    };
    return std::make_unique<TQS4003MFrm>(std::move(o), d2xx, &ui);
}

struct LocaleCase {
    const char* locale;
    const char* configuration; // nullptr: no file yet
    bool russian;
};

TEST(FirstStart, TheLanguageFollowsTheLocaleOnlyWithoutAConfiguration) {
    const LocaleCase cases[] = {
        {"ru_RU.UTF-8", nullptr, true},
        {"en_US.UTF-8", nullptr, false},
        {"C", nullptr, false},
        {"ru-RU", "[Common]\r\nRussian=0\r\n", false},
        {"en_GB", "[Common]\r\nRussian=1\r\n", true},
    };
    for (const LocaleCase& c : cases) {
        QTemporaryDir dir;
        const fs::path path = fs::path(dir.path().toStdString()) / "qs40.ini";
        if (c.configuration)
            std::ofstream(path, std::ios::binary) << c.configuration;
        FakeD2xx d2xx;
        ScriptedUi ui;
        auto window = windowOverConfiguration(d2xx, ui, path, c.locale);
        EXPECT_EQ(window->state().Common.Russian, c.russian) << c.locale;
        EXPECT_EQ(window->findChild<QAction*>("Menu_Russian")->isChecked(), c.russian);
        window->close(); // writes the configuration: the next start keeps its language
        auto again = windowOverConfiguration(d2xx, ui, path, c.russian ? "en_US" : "ru_RU");
        EXPECT_EQ(again->state().Common.Russian, c.russian) << c.locale << " after a restart";
    }
}

// Every menu radio group of the variant has a checked member.
void expectNoRadioGroupEmpty(const ScopeState& s, const char* when) {
    for (const GroupDef& def : allGroups())
        if (def.kind == GroupKind::RadioMenu &&
            hasCapability(s.System.Device_Type_Code, def.capability)) {
            EXPECT_GE(groupSelection(s, def.id), 0) << def.name << " " << when;
        }
}

TEST(VariantSwitch, ReplacedRadioMembersSurviveTheReloadTheSwitchBackAndARestart) {
    QTemporaryDir dir;
    const fs::path path = fs::path(dir.path().toStdString()) / "qs40.ini";
    // The full instrument with a long record and the frequency meter on D2.
    std::ofstream(path, std::ios::binary)
        << "[System]\r\nDevice_Type_Code=63\r\nDebug_qs=1\r\n\r\n[Common]\r\nRussian=0\r\n"
           "Smpl_N_2000=0\r\nSmpl_N_5000=0\r\nSmpl_N_10000=1\r\nSmpl_N_20000=0\r\n"
           "FM_A1=0\r\nFM_A2=0\r\nFM_D1=0\r\nFM_D2=1\r\nFM_D1_HF=0\r\nFM_D2_HF=0\r\n";
    FakeD2xx d2xx;
    d2xx.devices.push_back({kInstrument, 0x11});
    ScriptedUi ui;
    {
        auto window = windowOverConfiguration(d2xx, ui, path, "en_US");
        ASSERT_EQ(window->state().Common.Sampling, Sampling::N10000);
        window->findChild<QAction*>("Menu_FM_D2")->trigger();
        ASSERT_EQ(window->state().Common.FreqMeter, FreqMeter::D2);
        // ZR4000: no long records (and no frequency meter).
        window->switchVariant(0);
        EXPECT_EQ(window->state().Common.Sampling, Sampling::N5000);
        EXPECT_TRUE(window->findChild<QAction*>("Menu_Smpl_5000")->isChecked());
        expectNoRadioGroupEmpty(window->state(), "after the switch to ZR4000");
        window->switchVariant(63);
        expectNoRadioGroupEmpty(window->state(), "after the switch back");
        window->findChild<QAction*>("Menu_FM_D2")->trigger();
        ASSERT_EQ(window->state().Common.FreqMeter, FreqMeter::D2);
        // ZR4001A: the frequency meter without D2.
        window->switchVariant(28);
        EXPECT_EQ(window->state().Common.FreqMeter, FreqMeter::D1);
        expectNoRadioGroupEmpty(window->state(), "after the switch to ZR4001A");
        window->switchVariant(0);
        window->close();
    }
    auto restarted = windowOverConfiguration(d2xx, ui, path, "en_US");
    EXPECT_EQ(restarted->state().System.Device_Type_Code, 0);
    EXPECT_EQ(restarted->state().Common.Sampling, Sampling::N5000);
    expectNoRadioGroupEmpty(restarted->state(), "after a restart");
    restarted->switchVariant(28);
    expectNoRadioGroupEmpty(restarted->state(), "after a restart and a switch");
}

} // namespace
} // namespace qs40::testing
