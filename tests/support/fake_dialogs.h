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
        QString kind;  // "Erro", "Informação", the question's caption, or "Report"
        QString text;
    };

    void Error(QWidget*, const QString& text) override { shown.push_back({QStringLiteral("Erro"), text}); }
    void Information(QWidget*, const QString& text) override
    {
        shown.push_back({QStringLiteral("Informação"), text});
    }
    bool Question(QWidget*, const QString& caption, const QString& text) override;
    void ErrorReport(QWidget*, const QString& text) override { shown.push_back({QStringLiteral("Report"), text}); }
    // Answers from files, in order; none left is a cancelled dialog. The
    // filter asked for is recorded in openFilters, not among the boxes.
    QString OpenFile(QWidget*, const QString& filter) override;

    // The answers the next questions get, in order; an unanswered question is "Não".
    std::deque<bool> answers;
    std::deque<QString> files;
    QStringList openFilters;
    std::vector<Shown> shown;

    QStringList Texts() const;
    void Clear() { shown.clear(); }
};
