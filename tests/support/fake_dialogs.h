#pragma once
// Records every box the windows would show and answers questions from a
// queue, so a test can assert the exact messages and fail on a surprise.

#include <QString>
#include <QStringList>
#include <deque>

#include "ui/common/dialogs.h"

class FakeDialogs final : public Dialogs {
public:
    struct Shown {
        QString kind;  // "Erro", "Informação", the question's caption, "Report" or "Salvar"
        QString text;
    };

    void Error(QWidget*, const QString& text) override { shown.push_back({QStringLiteral("Erro"), text}); }
    void Information(QWidget*, const QString& text) override
    {
        shown.push_back({QStringLiteral("Informação"), text});
    }
    bool Question(QWidget*, const QString& caption, const QString& text) override;
    void ErrorReport(QWidget*, const QString& text) override { shown.push_back({QStringLiteral("Report"), text}); }
    // Records the suggested name; answers from saveAnswers.
    QString SaveFileName(QWidget*, const QString& suggestedName) override;

    // The answers the next questions get, in order; an unanswered question is "Não".
    std::deque<bool> answers;
    // The paths the next save dialogs return, in order; none left (or an
    // empty path) is a cancel.
    std::deque<QString> saveAnswers;
    std::vector<Shown> shown;

    QStringList Texts() const;
    void Clear() { shown.clear(); }
};
