#pragma once
// Qt's own texts (the file dialogs, an edit's context menu, standard
// buttons) in the user's language, so a tool that speaks Portuguese does
// not answer "Cancel". Portuguese (Brazil) when the locale is C or POSIX,
// or Qt has no translation for it, as the tool's own texts are.

#include <QLocale>

class QCoreApplication;
class QTranslator;

// The translator installed (owned by application), or nullptr when Qt's
// texts stay as built.
QTranslator* InstallQtTranslations(QCoreApplication& application, const QLocale& locale = QLocale::system());
