#include "support/fake_dialogs.h"

#include <QDialog>
#include <QTest>

bool FakeDialogs::Question(QWidget*, const QString& caption, const QString& text)
{
    Record(caption, text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void FakeDialogs::ShowModal(QDialog& window)
{
    windows_ << window.objectName();
    window.show();
}

QString FakeDialogs::SaveFileName(QWidget*, const QString& suggestedName)
{
    Record(QStringLiteral("Salvar"), suggestedName);
    if (saveAnswers.empty()) return {};
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

const std::vector<FakeDialogs::Shown>& FakeDialogs::Boxes()
{
    seen_ = shown_.size();
    return shown_;
}

QStringList FakeDialogs::Texts()
{
    QStringList texts;
    for (const Shown& s : Boxes()) texts << s.text;
    return texts;
}

void FakeDialogs::Clear()
{
    shown_.clear();
    seen_ = 0;
}

void FakeDialogs::Record(const QString& kind, const QString& text) { shown_.push_back({kind, text}); }

void FakeDialogs::FailOnUnseenBoxes()
{
    for (std::size_t i = seen_; i < shown_.size(); ++i) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected box \"%1\": %2").arg(shown_[i].kind, shown_[i].text)),
                     __FILE__, __LINE__);
    }
    seen_ = shown_.size();
}

QString FakeDialogs::OpenFile(QWidget*, const QString& filter)
{
    openFilters << filter;
    if (files.empty()) return {};
    QString file = files.front();
    files.pop_front();
    return file;
}
