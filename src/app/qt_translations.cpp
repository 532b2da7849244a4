#include "app/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator* InstallQtTranslations(QCoreApplication& application, const QLocale& locale)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&application);
    const bool loaded = (locale.language() != QLocale::C &&
                         translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder)) ||
                        translator->load(QStringLiteral("qtbase_pt_BR"), folder);
    if (!loaded) {
        delete translator;
        return nullptr;
    }
    QCoreApplication::installTranslator(translator);
    return translator;
}
