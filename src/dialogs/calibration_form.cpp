#include "dialogs/calibration_form.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace qs40 {
namespace {

QString text(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

CalibrationForm::CalibrationForm(const QString& objectName, QWidget* parent) : QDialog(parent) {
    setObjectName(objectName);
    setModal(true);
    info_ = new QLabel(this);
    info_->setObjectName("Label_Info");
    info_->setWordWrap(true);
    info_->setMinimumWidth(380);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("ProgressBar");
    progress_->setTextVisible(false);
    result_ = new QLabel(this);
    result_->setObjectName("Label_Result");
    start_ = new QPushButton(this);
    start_->setObjectName("Button_Start");
    ok_ = new QPushButton(this);
    ok_->setObjectName("Button_OK");
    cancel_ = new QPushButton(this);
    cancel_->setObjectName("Button_Cancel");
    for (QPushButton* b : {start_, ok_, cancel_})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(start_);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info_);
    layout->addWidget(progress_);
    layout->addWidget(result_);
    layout->addLayout(buttons);

    connect(start_, &QPushButton::clicked, this, [this] {
        if (onStart)
            onStart();
    });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &CalibrationForm::reject);
}

void CalibrationForm::prepare(const CalibrationTexts& texts, const CalibrationStatus& status,
                              bool resultVisible) {
    cancelled_ = false;
    setWindowTitle(text(texts.title));
    start_->setText(text(texts.start));
    ok_->setText(text(texts.ok));
    cancel_->setText(text(texts.cancel));
    result_->setVisible(resultVisible);
    showStatus(status);
    cancel_->setFocus();
}

void CalibrationForm::showStatus(const CalibrationStatus& status) {
    info_->setText(text(status.info));
    // The result lines end in CR LF; a label breaks at the LF.
    QString result = text(status.result);
    result.remove(QLatin1Char('\r'));
    result_->setText(result);
    progress_->setMaximum(status.maximum);
    progress_->setValue(status.progress);
    start_->setEnabled(status.startEnabled());
    ok_->setEnabled(status.okEnabled());
    // Shown at once: the progress moves while the procedure waits for frames.
    progress_->repaint();
}

void CalibrationForm::reject() {
    cancelled_ = true;
    QDialog::reject();
}

} // namespace qs40
