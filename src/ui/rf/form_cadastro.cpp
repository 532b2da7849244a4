#include "ui/rf/form_cadastro.h"

TFormCadastro::TFormCadastro(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormCadastro"));
    setWindowTitle(QStringLiteral("Cadastro novo sensor"));
}
