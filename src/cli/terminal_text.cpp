#include "cli/terminal_text.h"

#include "core/bytes/text_controls.h"

namespace {

enum class Style { Text, Lines, Json };

QString Escape(const QString& text, Style style)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        const char32_t code = c.unicode();
        // In JSON a raw control stands only within a string, where an escape
        // means the same character; the line breaks of its layout stay.
        const bool control = IsControlCharacter(code) && !(style != Style::Text && c == QLatin1Char('\n'));
        if (IsLayoutControl(code) || (control && style == Style::Json)) {
            escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else if (control) {
            escaped += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            escaped += c;
        }
    }
    return escaped;
}

}  // namespace

QString PrintableText(const QString& text) { return Escape(text, Style::Text); }

QString PrintableLines(const QString& text) { return Escape(text, Style::Lines); }

QString PrintableJson(const QByteArray& json) { return Escape(QString::fromUtf8(json), Style::Json); }
