// The composition root: creates the four windows, hands each what it needs,
// and runs the event loop.

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "atualizacao/form_atualizacao.h"
#include "cadastrosensor/form_cadastro.h"
#include "debug/form_debug.h"
#include "shell/clock.h"
#include "shell/dialogs.h"
#include "shell/form_principal.h"
#include "shell/port_catalogue.h"

namespace {

void ShowEscapedError(const QString& message)
{
    QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), message);
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvel"));

    try {
        QtDialogs dialogs;
        SystemPortCatalogue ports;
        SystemClock clock;

        TFormPrincipal formPrincipal({dialogs, ports, clock});
        TFormAtualizacao formAtualizacao(&formPrincipal);
        TFormDebug formDebug(&formPrincipal);
        TFormCadastro formCadastro(&formPrincipal);
        formPrincipal.AttachWindows(&formAtualizacao, &formDebug, &formCadastro);

        formPrincipal.show();
        QApplication::exec();
    } catch (const std::exception& e) {
        ShowEscapedError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowEscapedError(QString());
    }
    return 0;
}
