#pragma once
// Message texts that more than one window or page shows, written once.

#include <QString>

namespace messages {

inline QString PortNotOpen() { return QStringLiteral("Porta serial não está aberta."); }
inline QString DeviceNotConnected() { return QStringLiteral("Equipamento não conectado."); }
inline QString ValueOutOfRange() { return QStringLiteral("Valor fora da faixa especificada."); }
inline QString PortReadError() { return QStringLiteral("Erro ao tentar ler da porta."); }
inline QString PortWriteError() { return QStringLiteral("Erro ao tentar escrever na porta."); }
// The general error report of a text that is not an integer.
inline QString NotAnInteger(const QString& text) { return QStringLiteral("'%1' is not a valid integer value").arg(text); }

}  // namespace messages
