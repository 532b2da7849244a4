#pragma once
// Text from a panel, a file or the library reaches the installer's terminal
// with its control characters escaped: a crafted network name or file could
// otherwise send sequences that clear, retitle or rewrite the screen, or
// reverse what a line seems to say. Every command prints such text through
// these, and only these.

#include <QByteArray>
#include <QString>

// Each control character (C0, DEL, C1) as \xHH: ESC [2J becomes "\x1b[2J";
// each mark that reorders or breaks a line (U+202E, U+2028, ...) as \u202e.
QString PrintableText(const QString& text);
// The same for a message of several lines of the tool's own: its line
// breaks stay.
QString PrintableLines(const QString& text);
// JSON as QJsonDocument writes it, which escapes the controls below a
// space itself, with DEL, the C1 controls and those marks escaped too
// (\u009b, \u202e).
QString PrintableJson(const QByteArray& json);
