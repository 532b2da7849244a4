#pragma once
// Records every box the windows would show and answers questions from a
// queue, so a test can assert the exact messages and fail on a surprise.
// Secondary windows are shown without blocking, so a test goes on with the
// window open instead of hanging in its event loop.

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
    void ShowModal(QDialog& window) override;

    // The answers the next questions get, in order; an unanswered question is "Não".
    std::deque<bool> answers;
    std::vector<Shown> shown;
    // The secondary windows shown, by object name, oldest first.
    QStringList windowsShown;

    QStringList Texts() const;
    void Clear() { shown.clear(); }
};
