#include "main/qt_ui.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace qs40 {
namespace {

QMessageBox::Icon qtIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Stop:
        return QMessageBox::Critical;
    case BoxIcon::Exclamation:
        return QMessageBox::Warning;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        const QString patterns = QString(parts[i + 1]).replace(';', ' ').trimmed();
        // Qt reads the patterns from the parentheses at the end of the description.
        const QString shown = "(" + patterns + ")";
        filters << (description.endsWith(shown) ? description : description + " " + shown);
    }
    return filters.join(";;");
}

QString displayText(const std::string& utf8) {
    return QString::fromStdString(utf8).replace("\r\n", "\n");
}

BoxAnswer QtUi::messageBox(const std::string& caption, const std::string& text, BoxIcon icon,
                           BoxButtons buttons) {
    const bool yesNo = buttons == BoxButtons::YesNo;
    QMessageBox box(qtIcon(icon), displayText(caption), displayText(text),
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    const int answer = box.exec();
    if (!yesNo)
        return BoxAnswer::Ok;
    return answer == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}

std::optional<std::string> QtUi::fileName(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(parent_, QString::fromStdString(request.title),
                       QString::fromStdString(request.folder), qtFileFilter(request.filter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromStdString(request.defaultExtension));
    if (!request.proposedName.empty())
        dialog.selectFile(QString::fromStdString(request.proposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst().toStdString();
}

std::optional<std::string> QtUi::openFileName(const FileDialogRequest& request) {
    return fileName(request, false);
}

std::optional<std::string> QtUi::saveFileName(const FileDialogRequest& request) {
    return fileName(request, true);
}

void QtUi::processMessages() {
    QCoreApplication::processEvents();
}

} // namespace qs40
