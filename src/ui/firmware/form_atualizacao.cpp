#include "ui/firmware/form_atualizacao.h"

#include "session/panel_session.h"

TFormAtualizacao::TFormAtualizacao(PanelSession& session, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), session_(session), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("FormAtualizacao"));
    setWindowTitle(QStringLiteral("Atualização de firmware"));
    connect(&session_, &PanelSession::Identified, this, &TFormAtualizacao::ReceiveIdentification);
}

void TFormAtualizacao::ReceiveIdentification(const Identification& identity)
{
    deviceModel_ = identity.model;
    deviceVersion_ = identity.version;
    identReceived_ = true;
}
