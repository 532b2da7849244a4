#include "support/fake_dialogs.h"

#include <QDialog>

bool FakeDialogs::Question(QWidget*, const QString& caption, const QString& text)
{
    shown.push_back({caption, text});
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QStringList FakeDialogs::Texts() const
{
    QStringList texts;
    for (const Shown& s : shown) texts << s.text;
    return texts;
}

void FakeDialogs::ShowModal(QDialog& window)
{
    windowsShown << window.objectName();
    window.show();
}
