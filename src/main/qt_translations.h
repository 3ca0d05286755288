// Qt's own texts (the standard buttons of message boxes, the file dialog, the colour chooser) in
// the interface's language. They come from Qt's translation catalogues installed by the system
// (Debian: qt6-translations-l10n) and are switched whenever the interface language changes.
#pragma once

#include <QString>
#include <QTranslator>

namespace qs40 {

class QtTranslations {
public:
    // folder: where qtbase_XX.qm lie; empty: Qt's own translations folder.
    explicit QtTranslations(QString folder = {});
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // Russian installs the Russian catalogue, English removes it (Qt's texts are English).
    // False when the Russian catalogue cannot be found: Qt's texts then stay English.
    bool use(bool russian);
    bool russianLoaded() const { return installed_; }

private:
    QString folder_;
    QTranslator translator_;
    bool loaded_ = false;
    bool installed_ = false;
};

} // namespace qs40
