#pragma once
// The main window's notebook of configuration tabs ("PageControlPrincipal"):
// the fifteen tabs of the table (each listens to the session's answers for
// its own blocks), and the panel's model to every tab. The RF tab's requests
// to the window come out as the notebook's own signals.

#include <QTabWidget>
#include <vector>

class ConfigPage;
class Dialogs;
class PanelSession;

class ConfigNotebook final : public QTabWidget {
    Q_OBJECT
public:
    ConfigNotebook(PanelSession& session, Dialogs& dialogs, QWidget* parent);

signals:
    // "Cadastrar novo" on the RF tab: the enrolment window is wanted.
    void EnrolmentRequested();
    // The RF tab's status line: a text alone, its colour unchanged.
    void StatusText(const QString& text);

private:
    std::vector<ConfigPage*> pages_;
};
