#include "dialogs/about_box.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qs40 {
namespace {

QLabel* line(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    // Versions and the serial number are what a user copies into a support request.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(8);

    ProductName = line(this, "ProductName");
    QFont productFont = ProductName->font();
    productFont.setBold(true);
    productFont.setPointSizeF(productFont.pointSizeF() * 1.3);
    ProductName->setFont(productFont);
    Version = line(this, "Version");
    Version1 = line(this, "Version1");
    Version2 = line(this, "Version2");
    Label_SN = line(this, "Label_SN");

    layout->addWidget(ProductName);
    layout->addSpacing(8);
    for (QLabel* label : {Version, Version1, Version2, Label_SN})
        layout->addWidget(label);
    layout->addSpacing(8);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TAboutBox::setText(const AboutText& text) {
    setWindowTitle(QString::fromStdString(text.title));
    ProductName->setText(QString::fromStdString(text.product));
    Version->setText(QString::fromStdString(text.software));
    Version1->setText(QString::fromStdString(text.firmware));
    Version2->setText(QString::fromStdString(text.fpga));
    Label_SN->setText(QString::fromStdString(text.serial));
    Label_SN->setVisible(text.serialShown);
    OKButton->setFocus();
}

} // namespace qs40
