// The form the zero-level and TDC calibrations share: an info line, a progress bar, a result
// label and Start, OK and Cancel. It only shows the procedure's status; Start runs the
// procedure, which waits for frames while the form's events go on. Cancel, Escape and the
// title bar's close all cancel: a pass waiting for frames ends at once.
#pragma once

#include "scope/calibration_pass.h"
#include "scope/calibration_texts.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qs40 {

class CalibrationForm : public QDialog {
    Q_OBJECT
public:
    CalibrationForm(const QString& objectName, QWidget* parent = nullptr);

    // Before the form is shown: the texts of the language, the procedure's first status.
    void prepare(const CalibrationTexts& texts, const CalibrationStatus& status,
                 bool resultVisible);
    void showStatus(const CalibrationStatus& status);
    // Runs when Start is clicked.
    std::function<void()> onStart;
    bool cancelled() const { return cancelled_; }

    QPushButton* startButton() const { return start_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

public Q_SLOTS:
    void reject() override;

private:
    QLabel* info_;
    QLabel* result_;
    QProgressBar* progress_;
    QPushButton* start_;
    QPushButton* ok_;
    QPushButton* cancel_;
    bool cancelled_ = false;
};

} // namespace qs40
