#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void InstallQtTranslations(QCoreApplication& application)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&application);
    const QLocale system = QLocale::system();
    const bool loaded = (system.language() != QLocale::C && translator->load(system, QStringLiteral("qtbase"),
                                                                             QStringLiteral("_"), folder)) ||
                        translator->load(QStringLiteral("qtbase_pt_BR"), folder);
    if (loaded) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;  // none installed: Qt's texts stay as built
    }
}
