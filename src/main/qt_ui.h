// The Ui port on Qt: modal message boxes and file dialogs over a parent window.
#pragma once

#include "scope/ui_port.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace qs40 {

// "Data files (*.qsd)|*.qsd|Text (*.txt)|*.txt" to Qt's "Data files (*.qsd);;Text (*.txt)".
QString qtFileFilter(const std::string& filter);

// Line breaks of the system's texts ("\r\n") as Qt shows them.
QString displayText(const std::string& utf8);

class QtUi final : public Ui {
public:
    explicit QtUi(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    BoxAnswer messageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                         BoxButtons buttons) override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
    void processMessages() override;

private:
    std::optional<std::string> fileName(const FileDialogRequest& request, bool save);

    QPointer<QWidget> parent_;
};

} // namespace qs40
