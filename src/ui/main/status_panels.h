#pragma once
// The status bar's panels: the clock (0), the panel identified (1) and the
// port open (2), and, once a trace asked for could not be written, a fourth
// that says so.

#include <QWidget>

class QLabel;
class QStatusBar;

class StatusPanels : public QWidget {
    Q_OBJECT
public:
    // Fills the bar, one row of its own.
    explicit StatusPanels(QStatusBar& bar);

    void ShowClock(const QString& text);
    void ShowIdentification(const QString& text);
    void ClearIdentification();
    void ShowPort(int comNumber);
    // A network port connecting and agreeing its line.
    void ShowPortOpening(int comNumber);
    // The panel and its port, once the port closes.
    void ClearPanel();
    void ShowTraceStopped(const QString& reason);

private:
    QLabel* panels_[3] = {};
    QLabel* traceStopped_ = nullptr;
};
