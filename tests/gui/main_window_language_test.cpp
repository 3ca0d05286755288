#include "main_window_test_support.h"

#include "main/captions.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace qs40 {
namespace {

using testing::WindowFixture;
using testing::WindowSetup;

// The caption an element shows, whatever its kind.
QString shownCaption(const QObject* object) {
    if (const auto* menu = qobject_cast<const QMenu*>(object))
        return menu->title();
    if (const auto* action = qobject_cast<const QAction*>(object))
        return action->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(object))
        return group->title();
    if (const auto* button = qobject_cast<const QAbstractButton*>(object))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(object))
        return label->text();
    return "(no caption)";
}

QString utf8(std::string_view s) {
    return QString::fromUtf8(s.data(), s.size());
}

void expectLanguage(const WindowFixture& f, bool russian) {
    for (const CaptionEntry& e : captionTable()) {
        const QObject* object = f.find(std::string(e.objectName).c_str());
        ASSERT_NE(object, nullptr) << e.objectName;
        // The Russian interface leaves "Language" as it was.
        const std::string_view expected = russian && !e.russian.empty() ? e.russian : e.english;
        EXPECT_EQ(shownCaption(object), utf8(expected)) << e.objectName << " russian " << russian;
    }
}

TEST(MainWindowLanguage, LanguageMenuSwitchesEveryCaptionAndBack) {
    WindowFixture f;
    expectLanguage(f, false);
    EXPECT_TRUE(f.action("Menu_English")->isChecked());

    f.trigger("Menu_Russian");
    EXPECT_TRUE(f.window->state().Common.Russian);
    EXPECT_TRUE(f.action("Menu_Russian")->isChecked());
    EXPECT_FALSE(f.action("Menu_English")->isChecked());
    expectLanguage(f, true);
    EXPECT_EQ(f.find<QMenu>("Menu_Language")->title(), "Language");
    EXPECT_EQ(f.action("Menu_English")->text(), "English");
    // Texts built from the state follow at the recomputation.
    EXPECT_EQ(f.button("SpeedButton_VoltsDiv_A1")->text(), utf8("     A1 Вольт/Дел "));

    f.trigger("Menu_English");
    EXPECT_FALSE(f.window->state().Common.Russian);
    expectLanguage(f, false);
    EXPECT_EQ(f.button("SpeedButton_VoltsDiv_A1")->text(), "     A1 Volts/Div ");
}

TEST(MainWindowLanguage, StartsInTheConfiguredLanguage) {
    WindowSetup setup;
    setup.russian = true;
    WindowFixture f(setup);
    EXPECT_TRUE(f.action("Menu_Russian")->isChecked());
    EXPECT_EQ(f.find<QGroupBox>("GroupBox1")->title(), utf8("Осциллограф"));
    EXPECT_EQ(f.button("SpeedButton_Run")->text(), utf8("Пуск"));
}

TEST(MainWindowLanguage, ShortCaptionsWithoutTheSecondChannels) {
    WindowSetup setup;
    setup.variant = 0;
    setup.russian = true;
    WindowFixture f(setup);
    const std::pair<const char*, const char*> russian[] = {
        {"Menu_CH_A1", "Канал A"},      {"Menu_CH_D1", "Канал D"},
        {"Menu_EBin_A1", "Канал A..."}, {"Menu_FM_D1_HF", "Канал D (ВЧ)"},
        {"Menu_Probe_A1", "Пробник"},   {"Menu_FFT_A1", "БПФ"},
        {"Menu_Smpl_Max", "20000"},
    };
    for (const auto& [name, caption] : russian)
        EXPECT_EQ(shownCaption(f.find(name)), utf8(caption)) << name;
    f.trigger("Menu_English");
    EXPECT_EQ(f.action("Menu_CH_A1")->text(), "CH A");
    EXPECT_EQ(f.action("Menu_EBin_D1")->text(), "CH D...");
    EXPECT_EQ(f.action("Menu_Smpl_Max")->text(), "20000");
    EXPECT_EQ(f.find<QMenu>("Menu_Probe_A1")->title(), "Probe");
}

TEST(MainWindowLanguage, MessageBoxesAfterASwitchUseTheNewLanguage) {
    WindowSetup setup;
    setup.instrumentAttached = false;
    WindowFixture f(setup);
    f.d2xx.queueStatus = FT_IO_ERROR;
    f.trigger("Menu_Russian");
    f.click("SpeedButton_Run");
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    f.trigger("Menu_English");
    f.click("SpeedButton_Run");
    ASSERT_EQ(f.ui.boxes.size(), 2u);
    EXPECT_NE(f.ui.boxes[0].caption, f.ui.boxes[1].caption);
}

} // namespace
} // namespace qs40
