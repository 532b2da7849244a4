#include "ui/firmware/form_atualizacao.h"

TFormAtualizacao::TFormAtualizacao(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAtualizacao"));
    setWindowTitle(QStringLiteral("Atualização de firmware"));
}

void TFormAtualizacao::ReceiveIdentification(std::uint8_t model, std::uint8_t version)
{
    deviceModel_ = model;
    deviceVersion_ = version;
    identReceived_ = true;
}
