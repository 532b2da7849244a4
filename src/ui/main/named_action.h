#pragma once
// A menu entry found by its name: tests and people look for it by that.

#include <QAction>

inline QAction* NamedAction(const QString& name, const QString& caption, QObject* parent)
{
    auto* action = new QAction(caption, parent);
    action->setObjectName(name);
    return action;
}
