#pragma once
// The RF sensor enrolment window, shown modally from the RF sensors tab.

#include <QDialog>

class TFormCadastro : public QDialog {
    Q_OBJECT
public:
    explicit TFormCadastro(QWidget* parent = nullptr);
};
