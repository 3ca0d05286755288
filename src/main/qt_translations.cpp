#include "main/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace qs40 {

QtTranslations::QtTranslations(QString folder)
    : folder_(folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                               : std::move(folder)) {}

QtTranslations::~QtTranslations() {
    if (installed_)
        QCoreApplication::removeTranslator(&translator_);
}

bool QtTranslations::use(bool russian) {
    if (!russian) {
        if (installed_)
            QCoreApplication::removeTranslator(&translator_);
        installed_ = false;
        return true;
    }
    if (installed_)
        return true;
    if (!loaded_)
        loaded_ = translator_.load(QStringLiteral("qtbase_ru"), folder_);
    if (!loaded_)
        return false;
    installed_ = QCoreApplication::installTranslator(&translator_);
    return installed_;
}

} // namespace qs40
