#include "ui/diagnostics/form_debug.h"

TFormDebug::TFormDebug(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDebug"));
    setWindowTitle(QStringLiteral("Debug"));
}
