#pragma once
// The RF sensor enrolment window, shown modally from the RF sensors tab.

#include <QDialog>

class Dialogs;
class PanelSession;

class TFormCadastro : public QDialog {
    Q_OBJECT
public:
    TFormCadastro(PanelSession& session, Dialogs& dialogs, QWidget* parent = nullptr);

private:
    PanelSession& session_;
    Dialogs& dialogs_;
};
