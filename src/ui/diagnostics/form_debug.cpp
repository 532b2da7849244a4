#include "ui/diagnostics/form_debug.h"

TFormDebug::TFormDebug(PanelSession& session, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), session_(session), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("FormDebug"));
    setWindowTitle(QStringLiteral("Debug"));
}
