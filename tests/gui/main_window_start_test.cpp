#include "main_window_test_support.h"

#include "main/hand_over.h"
#include "main/program_options.h"
#include "main/qt_ui.h"
#include "main/single_instance.h"

#include <QUuid>

namespace qs40 {
namespace {

using testing::ScriptedUi;
using testing::WindowFixture;
using testing::WindowSetup;

QStringList commandLine(std::initializer_list<const char*> arguments) {
    QStringList list{"qs40"};
    for (const char* a : arguments)
        list << a;
    return list;
}

TEST(ProgramOptions, DeviceAndTheLastFile) {
    const ProgramOptions none = parseProgramOptions(commandLine({}));
    EXPECT_TRUE(none.error.isEmpty());
    EXPECT_TRUE(none.device.isEmpty());
    EXPECT_TRUE(none.lastFile().isEmpty());

    const ProgramOptions full =
        parseProgramOptions(commandLine({"--device", "sim:variant=0", "a.qsd", "b.qss"}));
    EXPECT_TRUE(full.error.isEmpty());
    EXPECT_EQ(full.device, "sim:variant=0");
    EXPECT_EQ(full.files.size(), 2);
    EXPECT_EQ(full.lastFile(), "b.qss");
}

TEST(ProgramOptions, HiddenOptionsAndErrors) {
    const ProgramOptions look = parseProgramOptions(
        commandLine({"--screenshot", "/tmp/a.png", "--language", "ru", "--variant", "0x1C", "--run",
                     "--view", "compact"}));
    EXPECT_TRUE(look.error.isEmpty());
    EXPECT_EQ(look.screenshot, "/tmp/a.png");
    EXPECT_EQ(look.russian, true);
    EXPECT_EQ(look.variant, 28);
    EXPECT_TRUE(look.run);
    EXPECT_EQ(look.compact, true);
    EXPECT_EQ(look.generatorView, true);
    EXPECT_FALSE(look.helpText.contains("screenshot"));
    EXPECT_TRUE(look.helpText.contains("--run"));

    const ProgramOptions plain = parseProgramOptions(commandLine({"--view", "nogen"}));
    EXPECT_FALSE(plain.run);
    EXPECT_EQ(plain.compact, false);
    EXPECT_EQ(plain.generatorView, false);

    for (const auto& wrong : {commandLine({"--language", "de"}), commandLine({"--variant", "x"}),
                              commandLine({"--device"}), commandLine({"--bogus"}),
                              commandLine({"--view", "wide"})})
        EXPECT_FALSE(parseProgramOptions(wrong).error.isEmpty()) << wrong.join(' ').toStdString();
    EXPECT_TRUE(parseProgramOptions(commandLine({"--help"})).help);
}

TEST(HandOver, StepDependsOnTheFileAndTheBusyState) {
    const struct {
        int count;
        const char* text;
        bool busy;
        HandOverStep step;
    } cases[] = {
        {0, "/usr/bin/qs40", false, HandOverStep::BringForward},
        {0, "/usr/bin/qs40", true, HandOverStep::BringForward},
        {1, "", false, HandOverStep::BringForward},
        {1, "a.qsd", false, HandOverStep::Offer},
        {2, "a.qss", true, HandOverStep::Ignore},
    };
    for (const auto& c : cases)
        EXPECT_EQ(handOverStep(c.count, c.text, c.busy), c.step) << c.text << c.busy;
}

TEST(HandOver, SettingsFilesAreRecognisedByTheirExactExtension) {
    EXPECT_TRUE(isSettingsFileName("/home/u/set.qss"));
    EXPECT_FALSE(isSettingsFileName("/home/u/set.QSS"));
    EXPECT_FALSE(isSettingsFileName("/home/u/set.qsd"));
    EXPECT_FALSE(isSettingsFileName("/home/u.qss/set"));
}

TEST(HandOver, OffersInTheCurrentLanguage) {
    const struct {
        const char* file;
        bool russian, running;
        BoxAnswer answer;
        const char* caption;
        const char* text;
        BoxIcon icon;
        HandOverAction action;
    } cases[] = {
        {"s.qss", false, true, BoxAnswer::Yes, "Open Settings", "s.qss\r\nOpen settings file?",
         BoxIcon::Exclamation, HandOverAction::OpenSettings},
        {"s.qss", true, false, BoxAnswer::No, "Открытие файла настроек",
         "s.qss\r\nОткрыть файл настроек?", BoxIcon::Exclamation, HandOverAction::None},
        {"d.qsd", false, false, BoxAnswer::Yes, "Open", "d.qsd\r\nOpen data file?",
         BoxIcon::Exclamation, HandOverAction::OpenData},
        {"d.qsd", true, false, BoxAnswer::Yes, "Открытие файла данных",
         "d.qsd\r\nОткрыть файл данных?", BoxIcon::Exclamation, HandOverAction::OpenData},
        {"d.qsd", false, true, BoxAnswer::Yes, "Open", "d.qsd\r\nCan't open while running.",
         BoxIcon::Stop, HandOverAction::None},
        {"d.QSS", true, true, BoxAnswer::Yes, "Открытие файла данных",
         "d.QSS\r\nДля открытия файла данных остановите развертку.", BoxIcon::Stop,
         HandOverAction::None},
    };
    for (const auto& c : cases) {
        ScriptedUi ui;
        ui.defaultAnswer = c.answer;
        EXPECT_EQ(offerHandedOverFile(ui, c.file, c.russian, c.running), c.action) << c.text;
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].caption, c.caption);
        EXPECT_EQ(ui.boxes[0].text, c.text);
        EXPECT_EQ(ui.boxes[0].icon, c.icon);
    }
}

TEST(HandOver, TheWindowIgnoresAFileWhileBusy) {
    testing::application();
    SingleInstance instance("qs40-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces));
    WindowSetup setup;
    setup.instance = &instance;
    WindowFixture f(setup);
    ASSERT_TRUE(instance.busy()); // starting up until the first paint

    f.window->fileHandedOver(1, "/data/a.qss");
    EXPECT_TRUE(f.ui.boxes.empty());

    instance.releaseBusy();                       // as the first paint does
    f.window->fileHandedOver(0, "/usr/bin/qs40"); // a second start without a file
    EXPECT_TRUE(f.ui.boxes.empty());
    f.ui.answers.push_back(BoxAnswer::No);
    f.window->fileHandedOver(1, "/data/a.qss");
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].caption, "Open Settings");
    EXPECT_FALSE(instance.busy()); // idle again once the offer is answered
}

TEST(QtUiFilters, WindowsStyleFiltersBecomeQtFilters) {
    EXPECT_EQ(qtFileFilter("Data files (*.qsd)|*.qsd"), "Data files (*.qsd)");
    EXPECT_EQ(qtFileFilter("Text|*.txt|All files|*.*"), "Text (*.txt);;All files (*.*)");
    EXPECT_EQ(qtFileFilter("Pictures|*.bmp;*.png"), "Pictures (*.bmp *.png)");
    EXPECT_EQ(displayText("a.qsd\r\nOpen?"), "a.qsd\nOpen?");
}

} // namespace
} // namespace qs40
