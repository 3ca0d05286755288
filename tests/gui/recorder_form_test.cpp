// TForm_Recorder on its own: its controls, texts and states in both languages, Start and Stop
// with their questions, the close question, File, and a recording ended by a link fault or by
// a file that stops taking bytes.
#include "dialogs/recorder_form.h"
#include "files/recorder_companion.h"
#include "main_window_test_support.h"

#include "../files/datafile_file_size_limit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>

namespace qs40::testing {
namespace {

RecorderFrameFacts slowFrame() {
    RecorderFrameFacts f;
    f.sampleStep = 10000;
    f.voltsDivA1 = 1000000;
    f.zeroA1 = 128;
    return f;
}

struct Form {
    QTemporaryDir dir;
    RecorderHandover handover;
    ScriptedUi ui;
    std::string folder = dir.path().toStdString() + "/";
    RecorderFrameFacts facts = slowFrame();
    std::optional<RecorderEnd> fault;
    std::unique_ptr<TForm_Recorder> form;

    explicit Form(bool russian = false) {
        application();
        form = std::make_unique<TForm_Recorder>(
            RecorderFormContext{handover, ui, [this] { return facts; }, [this] { return fault; },
                                folder, russian, "."});
        form->show();
    }
    ~Form() {
        if (form->session().recording()) {
            ui.answers = {BoxAnswer::Yes};
            form->session().askToStop();
        }
    }
    QPushButton* button(const char* name) const {
        return form->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    bool enabled(const char* name) const { return button(name)->isEnabled(); }
    std::string label() const {
        return form->findChild<QLabel*>(QStringLiteral("Label_Size"))->text().toStdString();
    }
    std::string memo() const {
        return form->findChild<QPlainTextEdit*>(QStringLiteral("Memo_Info"))
            ->toPlainText()
            .toStdString();
    }
    std::string edit() const {
        return form->findChild<QLineEdit*>(QStringLiteral("Edit_File"))->text().toStdString();
    }
    // File, Start, Stop, Exit.
    std::array<bool, 4> buttons() const {
        return {enabled("Button_File"), enabled("Button_Start"), enabled("Button_Stop"),
                enabled("Button_Exit")};
    }
};

constexpr std::array<bool, 4> kIdle{true, true, false, true};
constexpr std::array<bool, 4> kRecording{false, false, true, false};

TEST(RecorderForm, ShowsItsControlsAndTextsInBothLanguages) {
    const struct {
        bool russian;
        const char *title, *file, *start, *stop, *exit, *size, *firstLine;
    } cases[] = {
        {false, "Recorder", "File", "Start", "Stop", "Exit", "Size = ...",
         "Sampling rate = 10.0 KHz"},
        {true, "Самописец", "Файл", "Старт", "Стоп", "Выход", "Записано = ...",
         "Частота дискретизации = 10.0 KHz"},
    };
    for (const auto& c : cases) {
        Form f(c.russian);
        EXPECT_EQ(f.form->windowTitle().toStdString(), c.title);
        EXPECT_EQ(f.button("Button_File")->text().toStdString(), c.file);
        EXPECT_EQ(f.button("Button_Start")->text().toStdString(), c.start);
        EXPECT_EQ(f.button("Button_Stop")->text().toStdString(), c.stop);
        EXPECT_EQ(f.button("Button_Exit")->text().toStdString(), c.exit);
        EXPECT_EQ(f.label(), c.size);
        EXPECT_EQ(f.memo().substr(0, f.memo().find('\n')), c.firstLine);
        EXPECT_EQ(f.edit(), f.folder + "recorder.bin");
        EXPECT_EQ(f.buttons(), kIdle);
        EXPECT_EQ(f.form->findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 93);
        EXPECT_TRUE(f.button("Button_Exit")->hasFocus() || !f.form->isActiveWindow());
    }
}

TEST(RecorderForm, WithoutAFrameItIsNotReadyAndStartIsDisabled) {
    application();
    Form f;
    f.facts = {};
    f.form->FormShow();
    EXPECT_EQ(f.memo(), "Not ready.\n");
    EXPECT_FALSE(f.enabled("Button_Start"));
}

TEST(RecorderForm, StartRecordsStopAnsweredNoKeepsRecordingYesStops) {
    Form f;
    f.button("Button_Start")->click();
    ASSERT_TRUE(f.form->session().recording());
    EXPECT_TRUE(f.handover.on());
    EXPECT_EQ(f.buttons(), kRecording);
    EXPECT_NE(f.memo().find("\nStart recording = "), std::string::npos);
    const std::uint8_t bytes[1234] = {};
    f.form->write(bytes);
    f.form->Timer1Timer();
    EXPECT_EQ(f.label().rfind("Size = 1 234 Bytes    Time = 0  00:00:0", 0), 0u) << f.label();

    f.ui.answers = {BoxAnswer::No};
    f.button("Button_Stop")->click();
    EXPECT_TRUE(f.form->session().recording());
    EXPECT_EQ(f.buttons(), kRecording);
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].text, "Stop recording?");

    f.ui.answers = {BoxAnswer::Yes};
    f.button("Button_Stop")->click();
    EXPECT_FALSE(f.form->session().recording());
    EXPECT_FALSE(f.handover.on());
    EXPECT_EQ(f.buttons(), kIdle);
    // The memo and the companion end with the start and stop lines.
    const std::string memo = f.memo();
    EXPECT_NE(memo.find("\nStart recording = "), std::string::npos);
    EXPECT_EQ(memo.rfind("\nStop recording = "), memo.rfind('\n'));
    const std::string bin = f.folder + "recorder.bin";
    EXPECT_EQ(std::filesystem::file_size(bin), 1234u);
    EXPECT_TRUE(std::filesystem::exists(companionPathOf(bin)));
}

TEST(RecorderForm, ClosingWhileRecordingAsksAndOnlyYesCloses) {
    Form f;
    f.button("Button_Start")->click();
    ASSERT_TRUE(f.form->session().recording());
    f.ui.answers = {BoxAnswer::No};
    f.form->close();
    EXPECT_TRUE(f.form->isVisible());
    EXPECT_TRUE(f.form->session().recording());
    f.ui.answers = {BoxAnswer::Yes};
    f.form->close();
    EXPECT_FALSE(f.form->isVisible());
    EXPECT_FALSE(f.form->session().recording());
    EXPECT_EQ(f.form->result(), QDialog::Rejected);
}

TEST(RecorderForm, FileChoosesTheFileAndTheFolderAndResetsTheSize) {
    Form f;
    f.button("Button_Start")->click();
    f.ui.answers = {BoxAnswer::Yes};
    f.button("Button_Stop")->click();
    EXPECT_NE(f.label(), "Size = ...");
    std::filesystem::create_directory(f.folder + "sub");
    const std::string chosen = f.folder + "sub/long.bin";
    f.ui.saveNames = {chosen};
    f.button("Button_File")->click();
    EXPECT_EQ(f.edit(), chosen);
    EXPECT_EQ(f.folder, f.dir.path().toStdString() + "/sub/");
    EXPECT_EQ(f.label(), "Size = ...");
    // Cancelled: nothing changes.
    f.button("Button_File")->click();
    EXPECT_EQ(f.edit(), chosen);
}

TEST(RecorderForm, ALinkFaultEndsTheRecordingAndSaysWhy) {
    Form f;
    f.button("Button_Start")->click();
    f.fault = RecorderEnd::PowerFailure;
    f.form->Timer1Timer();
    EXPECT_FALSE(f.form->session().recording());
    EXPECT_EQ(f.buttons(), kIdle);
    EXPECT_NE(f.memo().find("\nRecording ended: power failure (error code 3)"), std::string::npos);
}

TEST(RecorderForm, AFileThatStopsTakingBytesIsToldAndTheRecordingStops) {
    Form f(true);
    f.button("Button_Start")->click();
    std::vector<std::uint8_t> bytes(3000);
    {
        FileSizeLimit limit(2000);
        f.form->write(bytes);
        f.form->Timer1Timer();
    }
    EXPECT_FALSE(f.form->session().recording());
    EXPECT_EQ(f.buttons(), kIdle);
    ASSERT_EQ(f.ui.boxes.size(), 1u);
    EXPECT_EQ(f.ui.boxes[0].caption, "Файл самописца");
    EXPECT_NE(f.ui.boxes[0].text.find("\r\nНет доступа к файлу."), std::string::npos);
    const std::string bin = f.folder + "recorder.bin";
    EXPECT_EQ(std::filesystem::file_size(bin), 2000u);
    EXPECT_EQ(f.form->session().bytes(), 2000u);
}

} // namespace
} // namespace qs40::testing
