#include "platform/ui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace plat::ui {

bool installQtTranslation(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_pt_BR"), folder) || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    // Qt's dialogs also format sizes and dates by the default locale.
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    return true;
}

} // namespace plat::ui
