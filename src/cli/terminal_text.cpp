#include "cli/terminal_text.h"

namespace {

enum class Style { Text, Lines, Json };

QString Escape(const QString& text, Style style)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        // Other_Control is exactly C0, DEL and C1. In JSON a raw one stands
        // only within a string, where an escape means the same character;
        // the line breaks of its layout stay.
        if (c.category() != QChar::Other_Control || (style != Style::Text && c == QLatin1Char('\n'))) {
            escaped += c;
        } else if (style == Style::Json) {
            escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            escaped += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        }
    }
    return escaped;
}

}  // namespace

QString PrintableText(const QString& text) { return Escape(text, Style::Text); }

QString PrintableLines(const QString& text) { return Escape(text, Style::Lines); }

QString PrintableJson(const QByteArray& json) { return Escape(QString::fromUtf8(json), Style::Json); }
