#include "dialogs/recorder_form.h"

#include "files/recorder_texts.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <filesystem>

namespace qs40 {
namespace {

constexpr const char* kProposedFile = "recorder.bin";

QString qs(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// Date and time as the system shows them, with seconds.
std::string systemDateTime(std::chrono::system_clock::time_point t) {
    const QDateTime dt = QDateTime::fromMSecsSinceEpoch(
        std::chrono::duration_cast<std::chrono::milliseconds>(t.time_since_epoch()).count());
    const QLocale locale = QLocale::system();
    return (locale.toString(dt.date(), QLocale::ShortFormat) + " " +
            dt.time().toString(QStringLiteral("HH:mm:ss")))
        .toStdString();
}

std::string folderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string() : parent.string() + "/";
}

QPushButton* button(const char* name, QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TForm_Recorder::TForm_Recorder(RecorderFormContext context, QWidget* parent)
    : QDialog(parent), context_(std::move(context)) {
    setObjectName(QStringLiteral("TForm_Recorder"));
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    RecorderSettings settings;
    settings.russian = context_.russian;
    settings.decimalSeparator = context_.decimalSeparator;
    settings.dateTimeText = systemDateTime;
    session_ = std::make_unique<RecorderSession>(context_.handover, context_.ui, settings);

    fileEdit_ = new QLineEdit(this);
    fileEdit_->setObjectName(QStringLiteral("Edit_File"));
    fileButton_ = button("Button_File", this);
    startButton_ = button("Button_Start", this);
    stopButton_ = button("Button_Stop", this);
    exitButton_ = button("Button_Exit", this);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("Memo_Info"));
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    sizeLabel_ = new QLabel(this);
    sizeLabel_->setObjectName(QStringLiteral("Label_Size"));
    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(kTimerIntervalMs);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit_, 1);
    fileRow->addWidget(fileButton_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(startButton_);
    buttons->addWidget(stopButton_);
    buttons->addStretch(1);
    buttons->addWidget(exitButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addWidget(memo_, 1);
    layout->addWidget(sizeLabel_);
    layout->addLayout(buttons);
    resize(460, 340);

    connect(fileButton_, &QPushButton::clicked, this, [this] { Button_FileClick(); });
    connect(startButton_, &QPushButton::clicked, this, [this] { Button_StartClick(); });
    connect(stopButton_, &QPushButton::clicked, this, [this] { Button_StopClick(); });
    connect(exitButton_, &QPushButton::clicked, this, [this] { Button_ExitClick(); });
    connect(timer_, &QTimer::timeout, this, [this] { Timer1Timer(); });
    applyCaptions();
}

TForm_Recorder::~TForm_Recorder() = default;

void TForm_Recorder::setLanguage(bool russian, const std::string& decimalSeparator) {
    context_.russian = russian;
    context_.decimalSeparator = decimalSeparator;
    session_->setLanguage(russian);
    applyCaptions();
}

void TForm_Recorder::applyCaptions() {
    const RecorderTexts& t = recorderTexts(context_.russian);
    setWindowTitle(qs(t.title));
    fileButton_->setText(qs(t.fileButton));
    startButton_->setText(qs(t.startButton));
    stopButton_->setText(qs(t.stopButton));
    exitButton_->setText(qs(t.exitButton));
    sizeLabel_->setText(qs(session_->sizeLabel()));
}

void TForm_Recorder::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm_Recorder::FormShow() {
    applyCaptions();
    fileEdit_->setText(qs(context_.workingFolder + kProposedFile));
    session_->reset();
    showInfo();
    showState();
    exitButton_->setFocus();
    timer_->start();
}

void TForm_Recorder::showInfo() {
    if (!session_->recording() && !session_->recorded())
        session_->rebuildInfo(context_.lastFrame ? context_.lastFrame() : RecorderFrameFacts{});
    QStringList lines;
    for (const std::string& line : session_->infoLines())
        lines << qs(line);
    memo_->setPlainText(lines.join(QLatin1Char('\n')));
}

void TForm_Recorder::showState() {
    const bool recording = session_->recording();
    fileButton_->setEnabled(!recording);
    startButton_->setEnabled(!recording && session_->ready());
    exitButton_->setEnabled(!recording);
    stopButton_->setEnabled(recording);
    fileEdit_->setReadOnly(recording);
    sizeLabel_->setText(qs(session_->sizeLabel()));
}

void TForm_Recorder::Button_FileClick() {
    const RecorderTexts& t = recorderTexts(context_.russian);
    FileDialogRequest request;
    request.title = t.fileCaption;
    request.filter = t.fileFilter;
    request.defaultExtension = "bin";
    request.proposedName = "*.bin";
    request.folder = context_.workingFolder;
    const std::optional<std::string> chosen = context_.ui.saveFileName(request);
    if (!chosen)
        return;
    context_.workingFolder = folderOf(*chosen);
    fileEdit_->setText(qs(*chosen));
    session_->fileChosen();
    session_->rebuildInfo(context_.lastFrame ? context_.lastFrame() : RecorderFrameFacts{});
    showInfo();
    showState();
}

void TForm_Recorder::Button_StartClick() {
    const RecorderFrameFacts facts =
        context_.lastFrame ? context_.lastFrame() : RecorderFrameFacts{};
    session_->rebuildInfo(facts);
    if (facts.sampleStep) // nothing starts before a frame has told the sample step
        session_->start(fileEdit_->text().toStdString(), facts);
    showInfo();
    showState();
}

void TForm_Recorder::Button_StopClick() {
    if (session_->askToStop()) {
        showInfo();
        showState();
    }
}

void TForm_Recorder::Button_ExitClick() {
    if (!session_->recording()) {
        timer_->stop();
        QDialog::reject();
    }
}

void TForm_Recorder::Timer1Timer() {
    const bool wasRecording = session_->recording();
    if (wasRecording && context_.linkFault)
        if (const std::optional<RecorderEnd> fault = context_.linkFault())
            session_->stop(*fault);
    session_->tick(); // a failed write ends the recording and is told here
    if (wasRecording && !session_->recording())
        showInfo();
    showState();
}

// Escape, and the title bar's close (QDialog's close event comes here): while recording only
// after "Stop recording?" was answered Yes.
void TForm_Recorder::reject() {
    if (session_->askToStop()) {
        showInfo();
        showState();
        timer_->stop();
        QDialog::reject();
    }
}

void TForm_Recorder::changeEvent(QEvent* event) {
    // Minimising the recorder minimises the whole program.
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr)
            main->showMinimized();
    }
    QDialog::changeEvent(event);
}

} // namespace qs40
