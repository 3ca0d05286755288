// What the four option dialogs share: they edit the scope state in place and hand every change
// to the window's follow-up at once; each show sets the controls from the fields without a
// single change reaching the instrument, re-captions the dialog in the current language,
// centres it on the window and focuses Cancel. Cancel, Escape and the title bar's close all
// end with the rejected result; the window's menu action restores the fields then.
#pragma once

#include "scope/panel_operations.h"
#include "scope/scope_state.h"

#include <QDialog>

#include <functional>
#include <initializer_list>
#include <string>

class QPushButton;
class QHBoxLayout;

namespace qs40 {

class OptionDialogBase : public QDialog {
    Q_OBJECT
public:
    using Changed = std::function<void(FollowUp)>;

    OptionDialogBase(ScopeState& state, Changed changed, QWidget* parent);

    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent* event) override;
    // Sets every control from the fields and the texts in the current language. Runs with the
    // controls' signals blocked by the caller of blockWhile().
    virtual void FormShow() = 0;

    // A row with OK and Cancel for the dialog's layout.
    QHBoxLayout* buttonRow();
    void setButtonTexts(const std::string& ok, const std::string& cancel);
    void notifyChanged(FollowUp f) const;
    // Runs f with the signals of the given controls blocked.
    static void blockWhile(std::initializer_list<QObject*> controls,
                           const std::function<void()>& f);

    ScopeState& state_;

private:
    void centreOnParent();

    Changed changed_;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

QString qtText(const std::string& utf8);

} // namespace qs40
