#pragma once
// The main window's "Idioma" menu: the language the tool speaks from its
// next start, one entry per language, each named in its own language so
// that anyone finds theirs. What it means and where it is kept is the
// composition root's business; the menu says which code was chosen.

#include <QObject>
#include <QString>

class QMenuBar;

class LanguageMenu : public QObject {
    Q_OBJECT
public:
    // Adds the menu to the bar, with the entry of current (a code:
    // "pt_BR", "es", "en") checked.
    LanguageMenu(QMenuBar& bar, const QString& current, QObject* parent);

signals:
    void LanguageChosen(const QString& code);
};
