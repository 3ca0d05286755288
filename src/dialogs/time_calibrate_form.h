// TForm_TimeCalibrate: the frequency meter's correction by hand, in 0.2 ppm steps, while the
// reading of a known frequency is watched. Every move of the bar takes effect at once.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;
class QSlider;

namespace qs40 {

class TForm_TimeCalibrate final : public QDialog {
    Q_OBJECT
public:
    explicit TForm_TimeCalibrate(QWidget* parent = nullptr);

    // Before the form is shown: the title and Cancel in the language, the bar at `time`.
    void prepare(bool russian, std::int32_t time, char decimalSeparator);
    // Runs at every change of the bar's position, after the label is rewritten.
    std::function<void(std::int32_t)> onChange;

    QSlider* bar() const { return bar_; }

private:
    void showTime(std::int32_t time);

    QSlider* bar_;
    QLabel* label_;
    QPushButton* ok_;
    QPushButton* cancel_;
    char separator_ = '.';
};

} // namespace qs40
