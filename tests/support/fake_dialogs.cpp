#include "support/fake_dialogs.h"

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

QString FakeDialogs::SaveFileName(QWidget*, const QString& suggestedName)
{
    shown.push_back({QStringLiteral("Salvar"), suggestedName});
    if (saveAnswers.empty()) return {};
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}
