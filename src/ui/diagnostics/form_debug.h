#pragma once
// The diagnostic monitor window, shown modally from the main window.

#include <QDialog>

class Dialogs;
class PanelSession;

class TFormDebug : public QDialog {
    Q_OBJECT
public:
    TFormDebug(PanelSession& session, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    PanelSession& session_;
    Dialogs& dialogs_;
};
