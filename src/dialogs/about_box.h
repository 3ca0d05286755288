// Help > About: the product with the connected instrument's variant, the versions and, in
// service mode, the instrument's serial number. Its texts are set every time it is shown.
#pragma once

#include "scope/about_text.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace qs40 {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Sets every line, the title and the serial number's visibility.
    void setText(const AboutText& text);

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Version1 = nullptr;
    QLabel* Version2 = nullptr;
    QLabel* Label_SN = nullptr;
    QPushButton* OKButton = nullptr;
};

} // namespace qs40
