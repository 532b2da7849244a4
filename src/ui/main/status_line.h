#pragma once
// The main window's status line ("Status:" and LabelStatusCmd): how the
// last exchange with the panel went, in green or red: a mapping of the
// session's answers, whoever asked; and the RF tab's own texts.

#include <QWidget>

class PanelSession;
class QLabel;

class StatusLine : public QWidget {
    Q_OBJECT
public:
    StatusLine(PanelSession& session, QWidget* parent);

    // The text alone, its colour unchanged.
    void ShowText(const QString& text);

private:
    void ShowIn(const QColor& colour, const QString& text);

    QLabel* labelStatusCmd_ = nullptr;
};
