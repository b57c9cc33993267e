#include "ui/qt_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace quelm::ui {

bool useQtLanguage(int language) {
    static QTranslator* french = nullptr;
    if (french == nullptr) {
        french = new QTranslator(QCoreApplication::instance());
        if (!french->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete french;
            french = nullptr;
            return language != 1;
        }
    }
    if (language == 1)
        QCoreApplication::installTranslator(french);
    else
        QCoreApplication::removeTranslator(french);
    return true;
}

} // namespace quelm::ui
