#include "atualizacao/form_atualizacao.h"

TFormAtualizacao::TFormAtualizacao(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAtualizacao"));
    setWindowTitle(QStringLiteral("Atualização de firmware"));
}
