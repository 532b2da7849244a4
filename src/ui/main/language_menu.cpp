#include "ui/main/language_menu.h"

#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include "ui/main/named_action.h"

LanguageMenu::LanguageMenu(QMenuBar& bar, const QString& current, QObject* parent) : QObject(parent)
{
    QMenu* menu = bar.addMenu(tr("Idioma"));
    menu->setObjectName(QStringLiteral("MenuIdioma"));
    menu->menuAction()->setObjectName(QStringLiteral("MenuIdioma"));
    auto* group = new QActionGroup(menu);
    // Each in its own language, never translated.
    const struct {
        const char* code;
        const char* name;
    } languages[] = {{"pt_BR", "Português (Brasil)"}, {"es", "Español"}, {"en", "English"}};
    for (const auto& language : languages) {
        const QString code = QString::fromLatin1(language.code);
        QAction* action = NamedAction(QStringLiteral("MenuIdioma_") + code, QString::fromUtf8(language.name), menu);
        action->setCheckable(true);
        action->setChecked(code == current);
        group->addAction(action);
        menu->addAction(action);
        connect(action, &QAction::triggered, this, [this, code] { emit LanguageChosen(code); });
    }
}
