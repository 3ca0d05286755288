#include "dialogs/option_dialog.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <memory>
#include <vector>

namespace qs40 {

QString qtText(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

OptionDialogBase::OptionDialogBase(ScopeState& state, Changed changed, QWidget* parent)
    : QDialog(parent), state_(state), changed_(std::move(changed)) {
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName("Button_OK");
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName("Button_Cancel");
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

QHBoxLayout* OptionDialogBase::buttonRow() {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok_);
    row->addWidget(cancel_);
    return row;
}

void OptionDialogBase::setButtonTexts(const std::string& ok, const std::string& cancel) {
    ok_->setText(qtText(ok));
    cancel_->setText(qtText(cancel));
}

void OptionDialogBase::notifyChanged(FollowUp f) const {
    if (changed_)
        changed_(f);
}

void OptionDialogBase::blockWhile(std::initializer_list<QObject*> controls,
                                  const std::function<void()>& f) {
    std::vector<std::unique_ptr<QSignalBlocker>> blockers;
    for (QObject* c : controls)
        blockers.push_back(std::make_unique<QSignalBlocker>(c));
    f();
}

void OptionDialogBase::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
        adjustSize();
        centreOnParent();
        // Enter then answers Cancel, as the focused button.
        ok_->setDefault(false);
        cancel_->setDefault(true);
        cancel_->setFocus(Qt::OtherFocusReason);
    }
    QDialog::showEvent(event);
}

void OptionDialogBase::centreOnParent() {
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    const QRect around = owner->frameGeometry();
    QRect own = frameGeometry();
    own.moveCenter(around.center());
    move(own.topLeft());
}

} // namespace qs40
