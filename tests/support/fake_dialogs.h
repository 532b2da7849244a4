#pragma once
// Records every box the windows would show and answers questions from a
// queue, so a test asserts the exact messages. A box that no test looked
// at fails the test when its harness ends: a surprise never goes unseen.
// Secondary windows are shown without blocking, so a test goes on with the
// window open instead of hanging in its event loop.

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

#include "ui/common/dialogs.h"

class FakeDialogs final : public Dialogs {
public:
    struct Shown {
        QString kind;  // "Erro", "Informação", the question's caption, "Report" or "Salvar"
        QString text;
    };

    void Error(QWidget*, const QString& text) override { Record(QStringLiteral("Erro"), text); }
    void Information(QWidget*, const QString& text) override { Record(QStringLiteral("Informação"), text); }
    bool Question(QWidget*, const QString& caption, const QString& text) override;
    void ErrorReport(QWidget*, const QString& text) override { Record(QStringLiteral("Report"), text); }
    void ShowModal(QDialog& window) override;
    void Show(QDialog& window) override { ShowModal(window); }
    // Recorded as a "Salvar" box showing the suggested name.
    QString SaveFileName(QWidget*, const QString& suggestedName) override;
    // Answers from files, in order; none left is a cancelled dialog. The
    // filter asked for is recorded in openFilters, not among the boxes.
    QString OpenFile(QWidget*, const QString& filter) override;

    // The answers the next questions get, in order; an unanswered question is "Não".
    std::deque<bool> answers;
    // The paths the next save dialogs return, in order; none left (or an
    // empty path) is a cancel.
    std::deque<QString> saveAnswers;
    std::deque<QString> files;
    QStringList openFilters;

    // Every box so far, oldest first. Looking counts as expecting them.
    const std::vector<Shown>& Boxes();
    QStringList Texts();
    // Forgets the boxes so far (they count as seen).
    void Clear();
    // The secondary windows shown, by object name, oldest first.
    const QStringList& WindowsShown() const { return windows_; }

    // Fails the running test for each box no test looked at.
    void FailOnUnseenBoxes();

private:
    void Record(const QString& kind, const QString& text);

    std::vector<Shown> shown_;
    std::size_t seen_ = 0;
    QStringList windows_;
};
