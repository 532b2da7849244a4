#include "ui/rf/form_cadastro.h"

TFormCadastro::TFormCadastro(PanelSession& session, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), session_(session), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("FormCadastro"));
    setWindowTitle(QStringLiteral("Cadastro novo sensor"));
}
