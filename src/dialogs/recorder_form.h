// TForm_Recorder: the recorder's window. It streams the new A1 samples of a slow roll to a raw
// file while acquisition and display go on; the recording itself (the file, the byte count,
// the information lines, the companion text) is the core's RecorderSession, which this window
// shows and drives. Modal, shown by File > Recorder...
#pragma once

#include "files/recorder_session.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace qs40 {

// What the recorder takes from the main window.
struct RecorderFormContext {
    RecorderHandover& handover;
    Ui& ui;
    // The last frame's facts, for the information lines.
    std::function<RecorderFrameFacts()> lastFrame;
    // A link fault that a recording cannot survive, once one is raised.
    std::function<std::optional<RecorderEnd>()> linkFault;
    // Shared with the main window's file dialogs.
    std::string& workingFolder;
    bool russian = false;
    std::string decimalSeparator = ".";
};

class TForm_Recorder : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTimerIntervalMs = 93;

    TForm_Recorder(RecorderFormContext context, QWidget* parent = nullptr);
    ~TForm_Recorder() override;

    void setLanguage(bool russian, const std::string& decimalSeparator);
    // The hand-over's writer: called in the acquisition's synchronised callback.
    void write(std::span<const std::uint8_t> bytes) { session_->write(bytes); }
    RecorderSession& session() { return *session_; }

    void FormShow();
    void Button_FileClick();
    void Button_StartClick();
    void Button_StopClick();
    void Button_ExitClick();
    void Timer1Timer();

public Q_SLOTS:
    void reject() override; // Escape and the title bar's close: asked while recording

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyCaptions();
    void showState();
    void showInfo();

    RecorderFormContext context_;
    std::unique_ptr<RecorderSession> session_;
    QPushButton* fileButton_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace qs40
