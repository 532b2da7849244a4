#pragma once
// Qt's own texts (the file dialogs, an edit's context menu, standard
// buttons) in the user's language, so a tool that speaks Portuguese does
// not answer "Cancel". Portuguese (Brazil) when the system's locale is C or
// POSIX, or Qt has no translation for it, as the tool's own texts are.

class QCoreApplication;

void InstallQtTranslations(QCoreApplication& application);
