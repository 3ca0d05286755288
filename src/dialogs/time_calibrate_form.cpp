#include "dialogs/time_calibrate_form.h"

#include "scope/calibration_texts.h"
#include "scope/freq_calibration.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace qs40 {
namespace {

constexpr int kTickEvery = 50;

QString text(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

TForm_TimeCalibrate::TForm_TimeCalibrate(QWidget* parent) : QDialog(parent) {
    setObjectName("TForm_TimeCalibrate");
    setModal(true);
    bar_ = new QSlider(Qt::Horizontal, this);
    bar_->setObjectName("TrackBar_PPM");
    bar_->setRange(-kTimeLimit, kTimeLimit);
    bar_->setTickInterval(kTickEvery);
    bar_->setTickPosition(QSlider::TicksBelow);
    bar_->setMinimumWidth(360);
    label_ = new QLabel(this);
    label_->setObjectName("Label_PPM");
    // Wide enough for every value, so that moving the bar does not move the buttons.
    label_->setMinimumWidth(
        label_->fontMetrics().horizontalAdvance(QStringLiteral("PPM = -50.00")) + 8);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName("Button_OK");
    cancel_ = new QPushButton(this);
    cancel_->setObjectName("Button_Cancel");
    for (QPushButton* b : {ok_, cancel_})
        b->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(label_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(bar_);
    layout->addLayout(buttons);

    connect(bar_, &QSlider::valueChanged, this, [this](int position) {
        showTime(position);
        if (onChange)
            onChange(position);
    });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm_TimeCalibrate::prepare(bool russian, std::int32_t time, char decimalSeparator) {
    const CalibrationTexts texts = calibrationTexts(CalibrationKind::FreqMeter, russian);
    setWindowTitle(text(texts.title));
    cancel_->setText(text(texts.cancel));
    separator_ = decimalSeparator;
    {
        // Showing the stored value is no change of it.
        const QSignalBlocker block(bar_);
        bar_->setValue(time);
    }
    showTime(time);
    cancel_->setFocus();
}

void TForm_TimeCalibrate::showTime(std::int32_t time) {
    label_->setText(text(ppmLabel(time, separator_)));
}

} // namespace qs40
